// mbrola's standard error, one line at a time, as the driver reads it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/mbrola.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const mg::AvisoMbrola a =
      mg::ClassificaAvisoMbrola(std::string_view(reinterpret_cast<const char*>(data), size));
  if (a.marca > 0 && a.difoneDesconhecido) __builtin_trap();
  return 0;
}
