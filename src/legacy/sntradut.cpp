// snTradut: the legacy diphone synthesizer. Reads a legacy phoneme string, splits its
// units into recorded units of the database, appends their samples to one 64000-byte
// sound buffer and hands every full buffer to the block player.
#include "legacy/sntradut.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/paths.h"
#include "common/wavheader.h"
#include "console/sysconfig.h"
#include "legacy/sninter.h"
#include "legacy/unidades.h"

namespace mg {
namespace {

constexpr size_t kBufferSize = 64000;
constexpr size_t kFirstSample = kWavHeaderSize;
constexpr size_t kMaxUnit = 40;
constexpr size_t kMaxPhone = 12;
constexpr int kNoiseLength = 300;
constexpr int kConfigBuffer = 80;

struct Estado {
  int trim = 400;
  int minimum = 0;
  int pauseWords = 100;
  std::string dbName;
  std::string dirLetras;
  std::string dirDifones;
  UnitIndex index;
  int dataFd = -1;
  std::vector<uint8_t> buffer;
  size_t fill = kFirstSample;
  int mode = 1;
  uint32_t noiseSeed = 1;
  BlockPlayer player = nullptr;
  UnitLookupHook hook = nullptr;
};

Estado& S() {
  static Estado s;
  return s;
}

bool IsConsonant(char c) { return c != 0 && std::strchr("bcdfgjklmnpqrstvxz", c) != nullptr; }
bool IsVowel(char c) { return c != 0 && std::strchr("AEIOUaeiouwy", c) != nullptr; }
bool IsGlide(char c) { return c == 'w' || c == 'y'; }
bool IsQuality(char c) { return c == '^' || c == '~'; }
bool IsStressed(char c) { return c != 0 && std::strchr("AEIOU", c) != nullptr; }

std::string WithSeparator(std::string dir) {
  if (dir.empty() || (dir.back() != '\\' && dir.back() != '/')) dir += '\\';
  return dir;
}

// Noise burst: a fixed-seed linear congruential generator, restarted for every phoneme
// string, so the same string always sounds the same.
int NextNoise() {
  auto& s = S();
  s.noiseSeed = s.noiseSeed * 1103515245u + 12345u;
  return static_cast<int>((s.noiseSeed >> 16) % 80u);
}

void Flush() {
  auto& s = S();
  if (s.fill <= kFirstSample) return;
  WriteWavHeader(s.buffer.data(), static_cast<uint32_t>(s.fill - kFirstSample), kLegacyRate, 1, 8);
  if (s.player) s.player(s.buffer.data(), static_cast<unsigned>(s.fill));
  s.fill = kFirstSample;
}

// Samples longer than the buffer go in pieces, each piece flushed when full, so that
// at most 63999 bytes are ever filled.
void Append(const uint8_t* p, size_t n) {
  auto& s = S();
  while (n > 0) {
    if (s.fill + n >= kBufferSize) Flush();
    const size_t room = kBufferSize - 1 - s.fill;
    const size_t k = std::min(n, room);
    std::memcpy(s.buffer.data() + s.fill, p, k);
    s.fill += k;
    p += k;
    n -= k;
  }
}

void Silence(int samples) {
  static const std::vector<uint8_t> chunk(100, 128);
  for (int i = 0; i < samples / 100; ++i) Append(chunk.data(), chunk.size());
}

void Noise() {
  uint8_t burst[kNoiseLength];
  for (auto& b : burst) b = static_cast<uint8_t>(88 + NextNoise());
  Append(burst, sizeof burst);
}

bool PlayLetter(const std::string& name) {
  auto& s = S();
  if (s.dirLetras.empty()) return false;
  const auto samples = ReadWavU8Mono(ToLinuxPath(s.dirLetras + name + ".wav"));
  if (!samples) return false;
  Append(samples->data(), samples->size());
  return true;
}

bool PlayIndexed(const std::string& upper, int mode, double factor) {
  auto& s = S();
  const UnitRecord* r = s.index.Find(upper);
  bool found = r != nullptr;
  if (s.hook && s.hook(upper, found) && !found) return true;
  if (!found) return false;
  long len = r->length;
  if (mode < 2 && upper.size() > 2) {
    len = std::max<long>(len - s.trim, std::min<long>(len, s.minimum));
    len = std::clamp<long>(len, 0, r->length);
  }
  const long want = std::clamp<long>(static_cast<long>(len * factor), 0, r->length);
  if (want <= 0 || s.dataFd < 0) return true;
  std::vector<uint8_t> samples(static_cast<size_t>(want));
  const ssize_t got = pread(s.dataFd, samples.data(), samples.size(), r->offset);
  if (got > 0) Append(samples.data(), static_cast<size_t>(got));
  return true;
}

// A unit name: its lead character and the rest. Built by appending: a literal prefixed
// to a temporary string trips GCC 12's -Wrestrict false positive at -O3.
std::string UnitName(char lead, std::string_view rest) {
  std::string name;
  name.reserve(rest.size() + 1);
  name.push_back(lead);
  name.append(rest);
  return name;
}

void FalaUnidade(std::string n, int mode, double factor) {
  if (n.size() > kMaxPhone) n.resize(kMaxPhone);
  if (n.empty()) return;
  bool found;
  if (n[0] == '_') {
    found = PlayLetter(n);
  } else {
    std::string upper = n;
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    found = PlayIndexed(upper, mode, factor);
  }
  if (found) return;
  if (n.size() <= 2) {
    Noise();
    return;
  }
  const char last = n.back();
  const auto endsWith = [&](std::string_view tail) {
    return n.size() >= tail.size() && n.compare(n.size() - tail.size(), tail.size(), tail) == 0;
  };
  if (IsVowel(last)) {
    FalaUnidade(n.substr(0, n.size() - 1), mode, 0.9 * factor);
    FalaUnidade(std::string("$") + last, mode, factor);
  } else if (endsWith("CIRC") && n.size() > 6) {
    FalaUnidade(n.substr(0, n.size() - 5), mode, 0.9 * factor);
    FalaUnidade(UnitName('$', std::string_view(n).substr(n.size() - 5)), mode, factor);
  } else if (endsWith("TIL")) {
    const std::string base = n.substr(0, n.size() - 3);
    const char b = base.empty() ? 0 : base.back();
    if (b == 'I' || b == 'U' || b == 'i' || b == 'u')
      FalaUnidade(base, mode, 0.9 * factor);
    else
      FalaUnidade(base + "CIRC", 2, 0.9 * factor);
    FalaUnidade("$nn", 1, 0.9);
  }
}

void FalaFone(std::string_view p, double factor) {
  auto& s = S();
  if (p.size() > kMaxPhone) p = p.substr(0, kMaxPhone);
  if (p.empty()) return;
  if (p[0] == '_') {
    // A lone "_" names itself.
    const unsigned char c = static_cast<unsigned char>(p.size() > 1 ? p[1] : '_');
    FalaUnidade(UnitName('_', std::to_string(c)), s.mode, factor);
    return;
  }
  bool stressed = false;
  std::string name = "$";
  for (char c : p) {
    if (IsStressed(c)) {
      stressed = true;
      s.mode = 2;
    }
    if (c == '^') {
      FalaUnidade(name + "CIRC", s.mode, factor);
      name.resize(1);  // back to "$"
    } else if (c == '~') {
      FalaUnidade(name + "TIL", s.mode, factor);
      name.resize(1);
    } else if (name.size() < kMaxPhone) {
      name += c;
    }
  }
  if (name != "$") FalaUnidade(name, s.mode, factor);
  if (stressed) s.mode = 0;
}

void DivideUnidade(std::string_view u, double x) {
  const size_t n = u.size();
  if (n == 0) return;
  if (n == 1) {
    FalaFone(u, x);
    return;
  }
  if (n > 2) {
    const std::string_view two = u.substr(0, 2);
    if (IsConsonant(u[0]) && IsConsonant(u[1]) && two != "dj" && two != "nh" && two != "rr" &&
        two != "ks" && u.substr(0, 3) != "tch") {
      FalaFone(u.substr(0, 1), 1.0);
      DivideUnidade(u.substr(1), x);
      return;
    }
    if (u.substr(n - 2) == "rr") {
      DivideUnidade(u.substr(0, n - 2), x);
      FalaFone("rr", x);
      return;
    }
    if (IsConsonant(u[n - 1])) {
      DivideUnidade(u.substr(0, n - 1), x);
      FalaFone(u.substr(n - 1), x);
      return;
    }
  }
  const char last = u[n - 1], prev = u[n - 2];
  if (IsGlide(last) && IsVowel(prev) && n > 2) {
    DivideUnidade(u.substr(0, n - 1), 0.6);
    FalaFone(u.substr(n - 2), x);
  } else if (IsGlide(last) && IsQuality(prev) && n > 2) {
    if (n > 3) {
      const std::string head =
          prev == '~' ? std::string(u.substr(0, n - 2)) + "^" : std::string(u.substr(0, n - 1));
      DivideUnidade(head, 0.6);
    }
    const char swapped[3] = {u[n - 3], last, prev};
    FalaFone(std::string_view(swapped, 3), x);
  } else if (u != "_s" && last == 's') {
    DivideUnidade(u.substr(0, n - 1), 0.7);
    FalaFone("s", x);
  } else {
    // Also a quality mark followed by a glide ("~w"): spoken as it stands.
    FalaFone(u, x);
  }
}

void CloseDatabase() {
  auto& s = S();
  if (s.dataFd >= 0) close(s.dataFd);
  s.dataFd = -1;
  s.index.Clear();
}

void EnsureBuffer() {
  auto& s = S();
  if (s.buffer.size() != kBufferSize) s.buffer.assign(kBufferSize, 128);
}

}  // namespace

int IniciaTradutorEm(std::string_view dirLetras, std::string_view dirDifones) {
  auto& s = S();
  FechaTradutor();
  s.dbName = "DIFONES2";
  if (dirLetras.empty() || !DirectoryExists(ToLinuxPath(dirLetras))) return 1;
  s.dirLetras = WithSeparator(std::string(dirLetras));
  if (dirDifones.empty() || !DirectoryExists(ToLinuxPath(dirDifones))) return 1;
  s.dirDifones = WithSeparator(std::string(dirDifones));

  std::vector<uint8_t> index;
  if (!ReadWholeFile(ToLinuxPath(s.dirDifones + s.dbName + ".IND"), index)) return 1;
  const int fd = open(ToLinuxPath(s.dirDifones + s.dbName + ".DIF").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 1;
  struct stat st {};
  if (fstat(fd, &st) != 0 ||
      !s.index.Parse(index.data(), index.size(), static_cast<uint64_t>(st.st_size))) {
    close(fd);
    s.index.Clear();
    return 1;
  }
  s.dataFd = fd;

  if (!CarregaRegras(ToLinuxPath(s.dirDifones + "regras.rgr")) ||
      !CarregaExcecoes(ToLinuxPath(s.dirDifones + "portug.exc"))) {
    CloseDatabase();
    return 2;
  }
  EnsureBuffer();
  return 0;
}

namespace {

// A leading "@\" stands for the suite's program directory (SONELA/PGMSONELA, else this
// program's own), as in the speech manager's keys: the configuration shipped with the
// program names its data that way, so that an installed tree can be moved.
std::string BesideProgram(std::string dir, const std::string& ini) {
  if (dir.rfind("@\\", 0) != 0) return dir;
  std::string base = ReadProfileString("SONELA", "PGMSONELA", "", ini, kConfigBuffer);
  if (base.empty() || base[0] == '@') base = ProgramDirectory();
  return base + dir.substr(1);
}

}  // namespace

int IniciaTradutor() {
  const std::string ini = IniDirectory() + "\\Sonela.ini";
  const std::string letras = ReadProfileString("TRADUTOR", "dirLetras", "", ini, kConfigBuffer);
  const std::string difones = ReadProfileString("TRADUTOR", "DIRDIFONES",
                                                "c:\\winsonela\\som\\difones", ini, kConfigBuffer);
  return IniciaTradutorEm(BesideProgram(letras, ini), BesideProgram(difones, ini));
}

void FechaTradutor() {
  auto& s = S();
  s.buffer.clear();
  s.buffer.shrink_to_fit();
  s.fill = kFirstSample;
  LiberaRegras();
  CloseDatabase();
}

void AjustaParametros(int trim, int minimum, int pauseBetweenWords) {
  auto& s = S();
  s.trim = trim;
  s.minimum = minimum;
  s.pauseWords = pauseBetweenWords;
}

void FalaFonemas(std::string_view str) {
  auto& s = S();
  EnsureBuffer();
  s.fill = kFirstSample;
  s.mode = 1;
  s.noiseSeed = 1;
  size_t p = 0;
  const size_t len = str.size();
  while (p < len) {
    if (str[p] == '[') {
      s.mode = 1;
      ++p;
    }
    std::string unit;
    const auto add = [&](char c) {
      if (unit.size() < kMaxUnit) unit += c;
    };
    while (p < len && str[p] != ' ' && str[p] != ']') {
      const char c = str[p];
      if (c == '/') {
        if (unit.size() > 8) break;
        ++p;
      } else if (c == '_') {
        add('_');
        ++p;
        if (p < len) add(str[p++]);
      } else {
        add(c);
        ++p;
      }
    }
    ++p;  // the terminator
    if (unit.size() == 2 && unit[0] == '_') {
      int pause = 0;
      switch (unit[1]) {
        case ',':
          pause = 4000;
          break;
        case '.':
          pause = 8000;
          break;
        case ';':
          pause = 6000;
          break;
        case ':':
          pause = 8000;
          break;
        default:
          break;
      }
      if (pause) {
        unit.clear();
        Silence(pause);
      }
    }
    DivideUnidade(unit, 1.0);
    if (p < len && p > 0 && str[p - 1] != ' ') Silence(s.pauseWords);
  }
  Flush();
}

void SetBlockPlayer(BlockPlayer player) { S().player = player; }
void SetUnitLookupHook(UnitLookupHook hook) { S().hook = hook; }
std::string NomeBancoDeVoz() { return S().dbName; }
std::string DiretorioLetras() { return S().dirLetras; }

}  // namespace mg
