// The speech manager's configuration keys.
#include "speech/config.h"

#include <cctype>
#include <charconv>
#include <string>

#include "common/paths.h"
#include "console/sysconfig.h"

namespace mg {
namespace {

bool g_legacyFallback = true;

std::string IniFile() { return IniDirectory() + "\\Sonela.ini"; }

// Drive letters of the suite's Windows paths map to Linux directories given in section
// LINUX as UNIDADEC=/some/dir (default: the root).
void ApplyDriveRoots() {
  static bool done = false;
  if (done) return;
  done = true;
  for (char d = 'A'; d <= 'Z'; ++d) {
    const std::string root =
        ReadProfileString("LINUX", std::string("UNIDADE") + d, "", IniFile(), 255);
    if (!root.empty()) SetDriveRoot(d, ToLinuxPath(root));
  }
}

std::string ReadRaw(std::string_view section, std::string_view key) {
  ApplyDriveRoots();
  std::string v = ReadProfileString(section, key, "", IniFile(), 255);
  if (v.empty() && g_legacyFallback) {
    v = ReadProfileString(section, key, "", WindowsDirectory() + "\\Sonela.ini", 255);
  }
  return v;
}

// "@" alone is the program directory. Otherwise every "@@\" (the configuration
// directory) and every "@\" (SONELA/PGMSONELA, or the program directory) is expanded in
// one pass from left to right, in whatever order they stand; the text substituted is
// never scanned again, so a directory whose name holds "@\" cannot make it loop.
std::string Expand(const std::string& v, int depth) {
  const std::string program = ProgramDirectory();
  if (v == "@") return program;
  std::string out;
  size_t i = 0;
  while (i < v.size()) {
    if (v.compare(i, 3, "@@\\") == 0) {
      out += IniDirectory();
      i += 2;
    } else if (v.compare(i, 2, "@\\") == 0) {
      std::string base;
      if (depth == 0) base = Expand(ReadRaw("SONELA", "PGMSONELA"), depth + 1);
      if (base.empty() || base[0] == '@') base = program;
      out += base;
      i += 1;
    } else {
      out += v[i++];
    }
  }
  return out;
}

std::string WithBackslash(std::string dir) {
  if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
  return dir;
}

int IntOr(std::string_view text, int fallback) {
  int v = 0;
  return ParseInt(text, v) ? v : fallback;
}

}  // namespace

void SetLegacyFallback(bool on) { g_legacyFallback = on; }
bool LegacyFallback() { return g_legacyFallback; }

std::string IniRead(std::string_view section, std::string_view key) {
  return Expand(ReadRaw(section, key), 0);
}

bool ParseInt(std::string_view text, int& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  value = v;
  return true;
}

bool IniMeansYes(std::string_view value) {
  return !value.empty() && std::toupper(static_cast<unsigned char>(value[0])) != 'N';
}

bool ReadLegado() {
  const bool saved = g_legacyFallback;
  g_legacyFallback = true;
  const std::string v = IniRead("SONELA", "LEGADO");
  g_legacyFallback = saved;
  return !v.empty() && std::toupper(static_cast<unsigned char>(v[0])) == 'S';
}

int ReadSpeedIndex() {
  const int n = IntOr(IniRead("TRADUTOR", "VELOCIDADE"), 0);
  return n >= 1 && n <= 5 ? n : 3;
}

std::string ReadLettersDirectory() {
  std::string dir = IniRead("TRADUTOR", "DIRLETRAS");
  if (dir.empty()) dir = "c:\\winsonela\\som\\letras";
  return WithBackslash(dir);
}

bool ReadSapiSelected() { return IniMeansYes(IniRead("TRADUTOR", "SAPI")); }

SynthSettings ReadSynthSettings() {
  SynthSettings s;
  s.voice = IntOr(IniRead("SERVFALA", "VOZ"), 0);
  s.speed = IntOr(IniRead("SERVFALA", "VELOCIDADE"), 0);
  s.tone = IntOr(IniRead("SERVFALA", "TOM"), 0);
  s.kind = IntOr(IniRead("SERVFALA", "TIPOSAPI"), 0);
  if (s.kind != 4 && s.speed > 10) s.speed = 0;
  return s;
}

int SynthSpeedDefault(int kind, int n, int configuredSpeed) {
  // Index 1 2 (3) 4 5. Own engine: duration factors 1.2, 0.93, (0.8), 0.53, 0.27.
  static constexpr int kOwn[5] = {-6, -2, 0, 4, 8};
  static constexpr int kEspeak[5] = {135, 155, 0, 280, 450};  // words per minute
  static constexpr int kDispatcher[5] = {-3, -1, 0, 4, 10};   // rate x 10 for the module
  if (n < 1 || n > 5) n = 3;
  if (n == 3) return configuredSpeed;
  const size_t i = static_cast<size_t>(n - 1);
  if (kind == 3) return kOwn[i];
  if (kind == 4) return kEspeak[i];
  return kDispatcher[i];
}

int ReadSynthSpeed(int kind, int n, int configuredSpeed) {
  if (n < 1 || n > 5) n = 3;
  int speed = SynthSpeedDefault(kind, n, configuredSpeed);
  const std::string tableKind = IniRead("SERVFALA", "TIPOVELOCIDADE");
  int written = 0;
  if (tableKind.empty() || (ParseInt(tableKind, written) && written == kind)) {
    int v = 0;
    if (ParseInt(IniRead("SERVFALA", "VELOCIDADE" + std::to_string(n)), v)) speed = v;
  }
  if (kind != 4 && speed > 10) speed = 0;
  return speed;
}

VoiceParameters ReadVoiceParameters(int n) {
  const std::string sfx = std::to_string(n);
  const auto key = [&](const char* name) { return IniRead("SINTETIZADOR", name + sfx); };
  VoiceParameters p;
  p.diphones = key("DIFONES").substr(0, 8);
  p.trim = IntOr(key("CORTEFON"), 0);
  p.minimum = IntOr(key("SOBRAFON"), 0);
  p.pauseWords = IntOr(key("INTERPAL"), 0);
  p.cutSpeech = IniMeansYes(key("CORTAFALA"));
  p.slightlyFaster = IniMeansYes(key("RAPIDINHO"));
  p.pausePoint = IntOr(key("PAUSAPONTO"), 250);
  p.pauseComma = IntOr(key("PAUSAVIRG"), 150);
  p.pauseColon = IntOr(key("PAUSADOISPONTOS"), 200);
  return p;
}

LowVisionSettings ReadLowVisionSettings() {
  LowVisionSettings s;
  const std::string zoom = IniRead("BAIXAVISAO", "AMPLIACAO");
  if (zoom.empty()) {
    s.zoom = 0;
  } else {
    const int z = IntOr(zoom, -1);
    s.zoom = z >= 0 && z <= 10 ? z : 3;
  }
  const auto colour = [](const std::string& text, int fallback) {
    const int c = IntOr(text, -1);
    return c >= 0 && c <= 15 ? c : fallback;
  };
  s.letter = colour(IniRead("BAIXAVISAO", "CORLETRA"), 14);
  s.background = colour(IniRead("BAIXAVISAO", "CORFUNDO"), 6);
  s.cursor = colour(IniRead("BAIXAVISAO", "CORCURSOR"), 3);
  return s;
}

OndalSettings ReadOndalSettings() {
  OndalSettings s;
  s.mbrolaDb = IniRead("ONDALTTS", "MBROLA_DB");
  if (s.mbrolaDb.empty()) s.mbrolaDb = "br4";
  s.dir = IniRead("ONDALTTS", "DIR");
  if (s.dir.empty()) {
    std::string db;
    if (ReadRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\TCTS\\Mbrola\\databases\\BR4\\",
                           db) &&
        db.size() > 3) {
      s.dir = db.substr(0, db.size() - 3);
    } else {
      s.dir = "\\winsonela\\ondaltts\\";
    }
  }
  s.dir = WithBackslash(s.dir);
  s.base = IniRead("ONDALTTS", "BASE");
  if (s.base.empty()) s.base = "portug";
  return s;
}

std::string ReadLinkProgram() { return IniRead("SONELA", "PROG.HTM"); }

std::string ReadProgramForExtension(std::string_view extension) {
  std::string ext(extension.substr(0, 3));
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return IniRead("SONELA", "PROG." + ext);
}

}  // namespace mg
