// Portuguese number words for the preprocessor: cardinals up to 15 digits and
// ordinals below 2000.
#include <array>
#include <string>

#include "common/cp1252.h"
#include "engine/uttsPreproc.h"

namespace mg {
namespace {

struct Palavras {
  std::array<std::string, 10> unidades, dez19, dezenas, centenas;
  std::array<std::string, 4> escalaSingular, escalaPlural;  // 10^12, 10^9, 10^6, 10^3
  std::array<std::string, 10> ordUnidades, ordDezenas, ordCentenas;
  std::string cem, milesimo;
};

// The words are written here in UTF-8 and kept in cp1252, converted once.
const Palavras& Tabela() {
  static const Palavras p = [] {
    Palavras t;
    auto enche = [](auto& dst, std::initializer_list<const char*> src, size_t desde) {
      size_t i = desde;
      for (const char* s : src) dst[i++] = Utf8ToCp1252(s);
    };
    enche(t.unidades,
          {"zero", "um", "dois", "três", "quatro", "cinco", "seis", "sete", "oito", "nove"}, 0);
    enche(t.dez19,
          {"dez", "onze", "doze", "treze", "quatorze", "quinze", "dezesseis", "dezessete",
           "dezoito", "dezenove"},
          0);
    enche(t.dezenas,
          {"vinte", "trinta", "quarenta", "cinqüenta", "sessenta", "setenta", "oitenta", "noventa"},
          2);
    enche(t.centenas,
          {"cento", "duzentos", "trezentos", "quatrocentos", "quinhentos", "seiscentos",
           "setecentos", "oitocentos", "novecentos"},
          1);
    enche(t.escalaSingular, {"trilhão ", "bilhão ", "milhão ", "mil "}, 0);
    enche(t.escalaPlural, {"trilhões ", "bilhões ", "milhões ", "mil "}, 0);
    enche(t.ordUnidades,
          {"primeiro", "segundo", "terceiro", "quarto", "quinto", "sexto", "sétimo", "oitavo",
           "nono"},
          1);
    enche(t.ordDezenas,
          {"décimo", "vigésimo", "trigésimo", "quadragésimo", "quinquagésimo", "sexagésimo",
           "septuagésimo", "octagésimo", "nonagésimo"},
          1);
    enche(t.ordCentenas,
          {"centésimo", "ducentésimo", "tricentésimo", "quadrigentésimo", "quingentésimo",
           "seiscentésimo", "septigentésimo", "octigentésimo", "nongentésimo"},
          1);
    t.cem = "cem";
    t.milesimo = Utf8ToCp1252("milésimo");
    return t;
  }();
  return p;
}

// The words of one group of three digits; empty for 000.
std::string Grupo(unsigned v) {
  const Palavras& t = Tabela();
  if (v == 0) return {};
  if (v == 100) return t.cem;
  const unsigned a = v / 100, b = v / 10 % 10, c = v % 10;
  std::string r;
  if (a != 0) {
    r += t.centenas[a];
    if (v % 100 != 0) r += " e ";
  }
  if (b == 1) return r + t.dez19[c];
  if (b != 0) {
    r += t.dezenas[b];
    if (c != 0) r += " e ";
  }
  if (c != 0) r += t.unidades[c];
  return r;
}

}  // namespace

std::string ExtensoCardinal(uint64_t valor) {
  const Palavras& t = Tabela();
  valor %= 1000000000000000ULL;  // callers never pass more than 15 digits
  if (valor == 0) return t.unidades[0];
  std::array<unsigned, 5> grupos{};
  for (int i = 4; i >= 0; --i) {
    grupos[i] = static_cast<unsigned>(valor % 1000);
    valor /= 1000;
  }
  int ultimo = 4;
  while (grupos[ultimo] == 0) --ultimo;
  std::string r, conector;
  for (int i = 0; i <= ultimo; ++i) {
    std::string g = Grupo(grupos[i]);
    if (g.empty()) continue;
    if (i < 4) g += ' ' + (grupos[i] == 1 ? t.escalaSingular[i] : t.escalaPlural[i]);
    if (i == ultimo) r += conector;
    r += g;
    conector = "e ";
  }
  if (r.starts_with("um mil") && !r.starts_with("um milh")) r.erase(0, 3);
  return r;
}

std::string ExtensoOrdinal(uint64_t valor, bool feminino, bool plural) {
  const Palavras& t = Tabela();
  if (valor >= 2000 || valor == 0) return ExtensoCardinal(valor);
  const unsigned u = valor % 10, d = valor / 10 % 10, c = valor / 100 % 10, m = valor / 1000;
  std::string r;
  auto junta = [&](std::string w) {
    if (feminino) w.back() = 'a';
    if (plural) w += 's';
    if (!r.empty()) r += ' ';
    r += w;
  };
  if (m != 0) junta(t.milesimo);
  if (c != 0) junta(t.ordCentenas[c]);
  if (d != 0) junta(t.ordDezenas[d]);
  if (u != 0) junta(t.ordUnidades[u]);
  return r;
}

}  // namespace mg
