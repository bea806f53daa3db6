#include "unidades_kit.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "legacy/sninter.h"
#include "legacy/sntradut.h"

namespace mg::kit {
namespace {

std::set<std::string>* g_names = nullptr;
Cobertura* g_cov = nullptr;

bool Record(const std::string& name, bool) {
  if (name.size() > 8) return false;  // cannot be stored: let the synthesizer decompose it
  g_names->insert(name);
  return true;
}

bool Count(const std::string& name, bool found) {
  ++g_cov->lookups;
  if (found)
    ++g_cov->found;
  else
    ++g_cov->missing[name];
  return false;
}

void SpeakAll(const std::vector<std::string>& words) {
  SetBlockPlayer(nullptr);
  for (const auto& w : words) FalaFonemas(TraduzTexto(w));
}

}  // namespace

bool LeSimbolos(const std::string& regrasPath, TabelaSimbolos& out) {
  out.clear();
  std::ifstream in(regrasPath, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(";|", 0) != 0) continue;
    std::istringstream fields(line.substr(2));
    std::string f, sym;
    Simbolo s;
    while (fields >> f) {
      const auto eq = f.find('=');
      if (eq == std::string::npos) break;  // the remark
      const std::string key = f.substr(0, eq), value = f.substr(eq + 1);
      if (key == "sym") sym = value;
      if (key == "espeak") s.espeak = value;
      if (key == "kind") s.kind = value;
    }
    if (!sym.empty() && !s.espeak.empty()) out[sym] = s;
  }
  return !out.empty();
}

std::optional<std::string> UnidadeParaEspeak(const std::string& name, const TabelaSimbolos& t) {
  if (name.size() < 2 || name[0] != '$') return std::nullopt;
  std::string body = name.substr(1), quality;
  for (const char* q : {"CIRC", "TIL"}) {
    const std::string qs = q;
    if (body.size() > qs.size() && body.compare(body.size() - qs.size(), qs.size(), qs) == 0) {
      body.resize(body.size() - qs.size());
      quality = qs;
      break;
    }
  }
  // Plain symbols, longest first.
  std::vector<std::string> syms;
  for (const auto& [sym, s] : t)
    if (sym.find('+') == std::string::npos) syms.push_back(sym);
  std::stable_sort(syms.begin(), syms.end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  std::string out;
  bool stressed = false;
  size_t p = 0;
  while (p < body.size()) {
    const std::string* match = nullptr;
    for (const auto& s : syms)
      if (body.compare(p, s.size(), s) == 0) {
        match = &s;
        break;
      }
    if (!match) return std::nullopt;
    const Simbolo& base = t.at(*match);
    const Simbolo* use = &base;
    const bool vowel = base.kind == "vowel";
    if (!quality.empty() && (vowel || (base.kind == "glide" && quality == "TIL"))) {
      const auto q = t.find(*match + "+" + quality);
      if (q != t.end()) use = &q->second;
    }
    if (vowel && !stressed) {
      out += '\'';
      stressed = true;
    }
    out += use->espeak;
    p += match->size();
  }
  if (out.empty()) return std::nullopt;
  return out;
}

std::set<std::string> Inventario(const std::vector<std::string>& words) {
  std::set<std::string> names;
  g_names = &names;
  SetUnitLookupHook(Record);
  SpeakAll(words);
  SetUnitLookupHook(nullptr);
  g_names = nullptr;
  return names;
}

Cobertura MedeCobertura(const std::vector<std::string>& words) {
  Cobertura c;
  g_cov = &c;
  SetUnitLookupHook(Count);
  SpeakAll(words);
  SetUnitLookupHook(nullptr);
  g_cov = nullptr;
  return c;
}

}  // namespace mg::kit
