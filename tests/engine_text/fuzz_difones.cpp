// Diphone file parser over any bytes, then lookups and the diphone repair of GeraPho.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/uttsProsodia.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view texto(reinterpret_cast<const char*>(data), size);
  mg::CarregaDifonesDeTexto(texto);
  (void)mg::ExisteDifone("a", "b");
  (void)mg::ExisteDifone("r2", "_");
  (void)mg::GeraPho({";555|arco", "a", "r2", "k", ">o", ""}, 1.0, 1.0);
  mg::LiberaDifones();
  return 0;
}
