// Fonemiza over any bytes: the input is cut into items at line feeds, each given the
// pattern "555|", and converted with the shipped rules and exceptions.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/uttsPortug.h"
#include "legacy/dicionario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool carregado = [] {
    const std::string dir = std::string(MG_SOURCE_DIR) + "/data/ondal/";
    mg::RegrasMotor().CarregaRegras(dir + "portug.nrl");
    mg::ExcecoesMotor().CarregaExcecoes(dir + "portug.exc");
    return true;
  }();
  (void)carregado;
  std::vector<std::string> itens;
  std::string item = "555|";
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      itens.push_back(item);
      item = "555|";
    } else {
      item += static_cast<char>(data[i]);
    }
  }
  itens.push_back(item);
  const mg::ListaFonemas l = mg::Fonemiza(itens);
  if (l.empty() || l.back() != "__") __builtin_trap();
  return 0;
}
