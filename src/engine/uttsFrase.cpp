// Phrase stages: items with prosody codes, and an intonation pattern for each item.
#include "engine/uttsPreproc.h"
#include "engine/uttsProsodia.h"

namespace mg {
namespace {

// Characters 2 and 3 of an item: its prosody code.
std::string_view Codigo(std::string_view item) {
  return item.size() > 1 ? item.substr(1, 2) : std::string_view();
}

bool Casa(const std::string& campo, std::string_view codigo) {
  return campo.empty() || campo == codigo;
}

}  // namespace

std::vector<std::string> Tokeniza(std::string_view texto) {
  std::vector<std::string> itens{"[--]"};
  const size_t n = texto.size();
  size_t p = 0;
  for (;;) {
    while (p < n && texto[p] == ' ') ++p;
    if (p >= n) break;
    std::string item;
    if (texto[p] == '.' && p + 1 < n && texto[p + 1] == '.') {
      item = "[.-].";  // an ellipsis
      while (p < n && texto[p] == '.') ++p;
    } else if (!preproc::EhLetra(texto[p])) {
      item = {'[', texto[p], texto[p], ']', texto[p]};
      ++p;
    } else {
      const size_t inicio = p;
      while (p < n && preproc::EhLetra(texto[p])) ++p;
      const std::string_view palavra = texto.substr(inicio, p - inicio);
      std::string codigo = CodigoDe(palavra);
      if (codigo.empty()) codigo = "XX";
      item = "[" + codigo + "]";
      item += palavra;
    }
    const char primeiro = item.size() > 4 ? item[4] : '\0';
    itens.push_back(std::move(item));
    if (primeiro == '!' || primeiro == '.' || primeiro == '?') itens.emplace_back("[--]");
  }
  return itens;
}

std::vector<std::string> AtribuiPadroes(const std::vector<std::string>& itens, bool usaRegras) {
  std::vector<std::string> saida;
  saida.reserve(itens.size());
  const std::vector<TProsodia>& regras = RegrasProsodia();
  char lembrado = '5';
  for (size_t i = 0; i < itens.size(); ++i) {
    const std::string_view anterior = i > 0 ? Codigo(itens[i - 1]) : std::string_view();
    const std::string_view atual = Codigo(itens[i]);
    const std::string_view seguinte =
        i + 1 < itens.size() ? Codigo(itens[i + 1]) : std::string_view();
    std::string padrao = "555";
    if (usaRegras) {
      for (const TProsodia& r : regras) {
        if (Casa(r.anterior, anterior) && Casa(r.atual, atual) && Casa(r.seguinte, seguinte)) {
          padrao = r.padrao;
          break;
        }
      }
    }
    // The loader admits only three-character patterns; "?" continues the level the
    // previous item ended on.
    if (padrao.size() != 3) padrao = "555";
    if (padrao[0] == '?') padrao[0] = lembrado;
    lembrado = padrao[2];
    const std::string_view texto =
        itens[i].size() > 4 ? std::string_view(itens[i]).substr(4) : std::string_view();
    std::string item = padrao + "|";
    item += texto;
    saida.push_back(std::move(item));
  }
  return saida;
}

}  // namespace mg
