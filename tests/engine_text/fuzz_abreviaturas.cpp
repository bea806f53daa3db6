// Abbreviation and acronym file parsers over any bytes, then lookups and preprocessing
// that use them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/uttsAviso.h"
#include "engine/uttsPreproc.h"
#include "engine/uttsPreprocLeituras.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool silencio = (mg::DefineAvisoMotor([](const std::string&) {}), true);
  (void)silencio;
  const std::string_view texto(reinterpret_cast<const char*>(data), size);
  mg::CarregaAbreviaturasDeTexto(texto);
  if (mg::NumeroDeAbreviaturas() > mg::kMaxAbreviaturas) __builtin_trap();
  (void)mg::Abreviatura(texto.substr(0, 16));
  mg::preproc::CarregaSiglasDeTexto(texto);
  (void)mg::PreProcessa("Sr. Silva e a Dra. Ana, nº 5, R$ 3 etc. e tal. ONU USB 2 GB 1 kg.");
  return 0;
}
