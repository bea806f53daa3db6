// mg-voicekit: builds the legacy voice's recordings from espeak-ng's Brazilian voice.
//   letters directory: a recording per character, number, date and editor words, dial
//   tones, and faster versions of all in rapido/;
//   DIFONES2.IND / DIFONES2.DIF: every unit our rules make the synthesizer look up over a
//   word list, said by espeak-ng; a held-out part of the list measures the coverage.
// Recordings in an override folder (<name>.wav, any PCM) replace the synthesized ones.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/cp1252.h"
#include "common/wavheader.h"
#include "espeak_voz.h"
#include "gravacoes.h"
#include "legacy/sntradut.h"
#include "legacy/unidades.h"
#include "som.h"
#include "unidades_kit.h"

namespace fs = std::filesystem;
using namespace mg;
using namespace mg::kit;

namespace {

constexpr int kRateNormal = 170;
constexpr int kRateRapido = 280;
constexpr int kRateUnits = 230;
constexpr double kGain = 1.0;
constexpr size_t kConsonantAlone = 660;  // 60 ms

struct Options {
  std::string rules, exceptions, words, out, cache, override_, report;
  int holdout = 10;  // every n-th word is kept out of the inventory
};

bool WriteBytes(const fs::path& p, const std::vector<uint8_t>& bytes) {
  const fs::path tmp = p.string() + ".tmp";
  {
    std::ofstream o(tmp, std::ios::binary);
    o.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    if (!o) return false;
  }
  std::error_code ec;
  fs::rename(tmp, p, ec);
  return !ec;
}

// Override recordings by lower-cased file name without ".wav".
std::map<std::string, fs::path> ScanOverrides(const fs::path& dir) {
  std::map<std::string, fs::path> m;
  std::error_code ec;
  if (dir.empty() || !fs::is_directory(dir, ec)) return m;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    if (!e.is_regular_file()) continue;
    std::string n = e.path().filename().string();
    std::string lower = n;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".wav") == 0)
      m[lower.substr(0, lower.size() - 4)] = e.path();
  }
  return m;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::optional<std::vector<uint8_t>> FromOverride(const std::map<std::string, fs::path>& m,
                                                 const std::string& name) {
  const auto it = m.find(Lower(name));
  if (it == m.end()) return std::nullopt;
  auto s = ReadWavU8Mono(it->second.string());
  if (!s) std::fprintf(stderr, "voicekit: %s is not a PCM WAV file; ignored\n", it->second.c_str());
  return s;
}

std::vector<uint8_t> Voice(EspeakVoz& voz, const std::string& text, int rate, bool phonemes,
                           int margin, int fade) {
  auto raw = voz.Speak(text, rate, phonemes);
  auto s = Resample(raw, voz.SampleRate(), kLegacyRate);
  s = TrimSilence(s, 300, margin);
  Fade(s, fade);
  return ToU8(s, kGain);
}

int BuildLetters(EspeakVoz& voz, const Options& o) {
  const fs::path dir = fs::path(o.out) / "letras";
  fs::create_directories(dir / "rapido");
  const auto over = ScanOverrides(o.override_);
  const auto overFast =
      ScanOverrides(o.override_.empty() ? fs::path() : fs::path(o.override_) / "rapido");
  int failures = 0, overridden = 0;
  for (const auto& g : Gravacoes()) {
    std::vector<uint8_t> normal, fast;
    if (g.texto.empty()) {
      normal = kit::DualTone(g.toneLow, g.toneHigh, 1654, kLegacyRate);  // 150 ms
      fast = kit::DualTone(g.toneLow, g.toneHigh, 882, kLegacyRate);     // 80 ms
    } else {
      normal = Voice(voz, g.texto, kRateNormal, false, 60, 30);
      fast = Voice(voz, g.texto, kRateRapido, false, 40, 30);
    }
    if (auto s = FromOverride(over, g.nome)) {
      normal = *s;
      fast = *s;
      ++overridden;
    }
    if (auto s = FromOverride(overFast, g.nome)) fast = *s;
    if (normal.empty() || fast.empty()) {
      std::fprintf(stderr, "voicekit: no sound for %s\n", g.nome.c_str());
      ++failures;
      continue;
    }
    if (!WriteBytes(dir / (g.nome + ".wav"), MakeWav(normal, kLegacyRate, 1, 8)) ||
        !WriteBytes(dir / "rapido" / (g.nome + ".wav"), MakeWav(fast, kLegacyRate, 1, 8))) {
      std::fprintf(stderr, "voicekit: cannot write %s\n", g.nome.c_str());
      return -1;
    }
  }
  std::printf("voicekit: %zu recordings (%d from the override folder), %d failed\n",
              Gravacoes().size(), overridden, failures);
  return failures;
}

bool ReadWords(const std::string& path, int holdout, std::vector<std::string>& train,
               std::vector<std::string>& held) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  long n = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::string w = Utf8ToCp1252(line);
    if (holdout > 0 && ++n % holdout == 0)
      held.push_back(std::move(w));
    else
      train.push_back(std::move(w));
  }
  return true;
}

// The translator loads its tables at start-up beside the database: a scratch directory
// with an empty database lets the inventory run before the database exists.
bool StartWithoutDatabase(const Options& o, const fs::path& scratch) {
  fs::create_directories(scratch / "letras");
  fs::create_directories(scratch / "difones");
  fs::copy_file(o.rules, scratch / "difones" / "regras.rgr", fs::copy_options::overwrite_existing);
  fs::copy_file(o.exceptions, scratch / "difones" / "portug.exc",
                fs::copy_options::overwrite_existing);
  WriteBytes(scratch / "difones" / "DIFONES2.IND", {});
  WriteBytes(scratch / "difones" / "DIFONES2.DIF", {});
  const int rc = IniciaTradutorEm((scratch / "letras").string(), (scratch / "difones").string());
  if (rc != 0) std::fprintf(stderr, "voicekit: translator start failed (%d)\n", rc);
  return rc == 0;
}

// Speaks the held-out words against a database that holds exactly `names` (without
// sound), so that the look-ups take the synthesizer's real fall-backs.
bool MeasureCoverage(const Options& o, const fs::path& scratch, const std::set<std::string>& names,
                     const std::vector<std::string>& held, size_t trainWords) {
  std::vector<UnitSamples> silent;
  for (const auto& n : names) silent.push_back({n, {}});
  std::vector<uint8_t> ind, dif;
  BuildUnitDatabase(silent, ind, dif);
  if (!StartWithoutDatabase(o, scratch)) return false;
  FechaTradutor();
  WriteBytes(scratch / "difones" / "DIFONES2.IND", ind);
  WriteBytes(scratch / "difones" / "DIFONES2.DIF", dif);
  if (IniciaTradutorEm((scratch / "letras").string(), (scratch / "difones").string()) != 0)
    return false;
  const Cobertura c = MedeCobertura(held);
  FechaTradutor();
  const double share = c.lookups ? 100.0 * c.found / c.lookups : 100.0;
  std::vector<std::pair<long, std::string>> worst;
  for (const auto& [n, k] : c.missing) worst.emplace_back(k, n);
  std::sort(worst.rbegin(), worst.rend());
  char pct[64];
  std::snprintf(pct, sizeof pct, "%.3f %%", share);
  std::string text = "inventory words: " + std::to_string(trainWords) +
                     "\nheld-out words: " + std::to_string(held.size()) +
                     "\nunits from the inventory words: " + std::to_string(names.size()) +
                     "\nunit look-ups over the held-out words: " + std::to_string(c.lookups) +
                     "\nfound: " + std::to_string(c.found) + "\ncoverage: " + pct +
                     "\nmissing names:";
  for (size_t i = 0; i < worst.size() && i < 40; ++i)
    text += " " + worst[i].second + "(" + std::to_string(worst[i].first) + ")";
  text += "\n";
  std::printf("voicekit: %s", text.c_str());
  if (!o.report.empty()) WriteBytes(o.report, std::vector<uint8_t>(text.begin(), text.end()));
  return true;
}

int BuildUnits(EspeakVoz& voz, const Options& o) {
  TabelaSimbolos symbols;
  if (!LeSimbolos(o.rules, symbols)) {
    std::fprintf(stderr, "voicekit: no symbol table in %s\n", o.rules.c_str());
    return -1;
  }
  std::vector<std::string> train, held;
  if (!ReadWords(o.words, o.holdout, train, held)) {
    std::fprintf(stderr, "voicekit: cannot read the word list %s\n", o.words.c_str());
    return -1;
  }
  const fs::path scratch = fs::path(o.cache) / "inventario";
  if (!StartWithoutDatabase(o, scratch)) return -1;
  auto names = Inventario(train);
  const auto heldNames = Inventario(held);
  FechaTradutor();
  // The pieces the synthesizer falls back on when a unit is missing (a vowel alone, a
  // closed or nasal vowel, the nasal murmur, a consonant alone) are always recorded.
  for (const auto& [sym, s] : symbols) {
    std::string name = "$" + sym;
    const auto plus = name.find('+');
    if (plus != std::string::npos) name.erase(plus, 1);
    if (name.size() <= kUnitNameMax) names.insert(name);
  }
  if (!MeasureCoverage(o, scratch, names, held, train.size())) return -1;
  // The shipped database also holds what only the held-out words needed.
  const size_t before = names.size();
  names.insert(heldNames.begin(), heldNames.end());

  const auto over = ScanOverrides(o.override_);
  std::vector<UnitSamples> units;
  std::vector<std::string> unsayable;
  int overridden = 0;
  for (const auto& name : names) {
    if (auto s = FromOverride(over, name)) {
      units.push_back({name, *s});
      ++overridden;
      continue;
    }
    const auto phon = UnidadeParaEspeak(name, symbols);
    if (!phon) {
      unsayable.push_back(name);
      continue;
    }
    auto s = Voice(voz, *phon, kRateUnits, true, 10, 25);
    if (s.empty() && phon->find('\'') == std::string::npos) {
      // espeak-ng says nothing for a voiced stop or a tap alone: say it before a
      // neutral vowel and keep the consonant and the vowel's onset.
      s = Voice(voz, *phon + "@", kRateUnits, true, 10, 0);
      if (s.size() > kConsonantAlone) s.resize(kConsonantAlone);
      std::vector<int16_t> ramp(s.begin(), s.end());
      for (auto& b : ramp) b = static_cast<int16_t>((b - 128) * 256);
      Fade(ramp, 60);
      s = ToU8(ramp, 1.0);
    }
    if (s.empty()) {
      unsayable.push_back(name);
      continue;
    }
    units.push_back({name, std::move(s)});
  }
  std::vector<uint8_t> ind, dif;
  BuildUnitDatabase(units, ind, dif);
  const fs::path dir = fs::path(o.out) / "difones";
  fs::create_directories(dir);
  if (!WriteBytes(dir / "DIFONES2.DIF", dif) || !WriteBytes(dir / "DIFONES2.IND", ind)) {
    std::fprintf(stderr, "voicekit: cannot write the database in %s\n", dir.c_str());
    return -1;
  }
  std::printf(
      "voicekit: database of %zu units (%zu more from the held-out words), %zu recorded, "
      "%d from the override folder, %zu without a sound: ",
      names.size(), names.size() - before, units.size(), overridden, unsayable.size());
  for (const auto& u : unsayable) std::printf("%s ", u.c_str());
  std::printf("\n");
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "uso: mg-voicekit --rules regras.rgr --exceptions portug.exc --words LISTA\n"
               "                 --out DIR [--cache DIR] [--override DIR] [--holdout N]\n"
               "                 [--report ARQUIVO] [--only letras|unidades]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
    if (a == "--rules")
      o.rules = next();
    else if (a == "--exceptions")
      o.exceptions = next();
    else if (a == "--words")
      o.words = next();
    else if (a == "--out")
      o.out = next();
    else if (a == "--cache")
      o.cache = next();
    else if (a == "--override")
      o.override_ = next();
    else if (a == "--report")
      o.report = next();
    else if (a == "--holdout")
      o.holdout = std::atoi(next().c_str());
    else if (a == "--only")
      only = next();
    else
      return Usage();
  }
  if (o.out.empty()) return Usage();
  if (o.cache.empty()) o.cache = (fs::path(o.out) / ".voicekit-cache").string();
  EspeakVoz voz;
  if (!voz.Open((fs::path(o.cache) / "espeak").string())) {
    std::fprintf(stderr, "voicekit: espeak-ng with the pt-br voice is not available\n");
    return 1;
  }
  if (only != "unidades" && BuildLetters(voz, o) != 0) return 1;
  if (only != "letras") {
    if (o.rules.empty() || o.exceptions.empty() || o.words.empty()) return Usage();
    if (BuildUnits(voz, o) != 0) return 1;
  }
  std::printf("voicekit: espeak-ng cache %d hits, %d syntheses\n", voz.CacheHits(),
              voz.CacheMisses());
  return 0;
}
