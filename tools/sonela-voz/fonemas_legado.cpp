#include "fonemas_legado.h"

#include <array>
#include <cctype>

namespace mg::voz {
namespace {

char Minuscula(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Consonant symbols of the legacy units, longest first, and their br4 names. The
// affricates tch and dj are the br4 t and d (the voice makes them before i).
struct Simbolo {
  std::string_view legado, br4;
};
constexpr std::array<Simbolo, 22> kConsoantes{{
    {"tch", "t"}, {"dj", "d"}, {"lh", "lh"}, {"nh", "nh"}, {"rr", "rr"}, {"nn", ""},
    {"b", "b"},   {"d", "d"},  {"f", "f"},   {"g", "g"},   {"j", "j"},   {"k", "k"},
    {"l", "l"},   {"m", "m"},  {"n", "n"},   {"p", "p"},   {"r", "r"},   {"s", "s"},
    {"t", "t"},   {"v", "v"},  {"x", "x"},   {"z", "z"},
}};

// A vowel letter and the mark after it: plain a, e, o are open, "^" closed, "~" nasal.
std::string_view Vogal(char v, char marca) {
  const bool circ = marca == '^', til = marca == '~';
  switch (v) {
    case 'a':
      return til ? "an" : "a";
    case 'e':
      return til ? "en" : circ ? "e" : "ee";
    case 'i':
      return til ? "in" : "i";
    case 'o':
      return til ? "on" : circ ? "o" : "oo";
    case 'u':
      return til ? "un" : "u";
    case 'y':
      return "y";
    case 'w':
      return "w";
    default:
      return {};
  }
}

void Junta(std::string& out, std::string_view fonema, bool tonica) {
  if (fonema.empty()) return;
  if (!out.empty()) out += ' ';
  if (tonica) out += '>';
  out += fonema;
}

}  // namespace

std::string FonemasDoLegado(std::string_view fita) {
  std::string out;
  bool marcada = false;
  size_t i = 0;
  const size_t n = fita.size();
  while (i < n) {
    const char c = fita[i];
    if (c == '_') {  // the default unit of a letter no rule covers: spelled, not read
      i += 2;
      continue;
    }
    const char m = Minuscula(c);
    const bool vogal = std::string_view("aeiou").find(m) != std::string_view::npos;
    if (vogal || c == 'y' || c == 'w') {
      const char marca = i + 1 < n ? fita[i + 1] : '\0';
      const bool tonica = !marcada && c != m;
      marcada |= tonica;
      Junta(out, Vogal(m, marca), tonica);
      i += marca == '^' || marca == '~' ? 2 : 1;
      continue;
    }
    bool achou = false;
    for (const Simbolo& s : kConsoantes) {
      if (i + s.legado.size() > n) continue;
      bool igual = true;
      for (size_t k = 0; k < s.legado.size(); ++k) igual &= Minuscula(fita[i + k]) == s.legado[k];
      if (igual) {
        Junta(out, s.br4, false);
        i += s.legado.size();
        achou = true;
        break;
      }
    }
    if (!achou) ++i;  // brackets, "/", blanks and leftover accent marks
  }
  return out;
}

}  // namespace mg::voz
