// mbrola's standard error, one line at a time as the driver reads it, and MBROLA input
// lines as the driver counts their durations: never negative, bounded, and the lines
// count the same whether sent together or one write at a time.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/mbrola.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)mg::ClassificaAvisoMbrola(text);
  const double all = mg::DuracaoLinhasMbrola(text);
  if (!(all >= 0 && all <= 1e9)) std::abort();
  const size_t cut = text.find('\n');
  if (cut != std::string_view::npos) {
    const double parts = mg::DuracaoLinhasMbrola(text.substr(0, cut)) +
                         mg::DuracaoLinhasMbrola(text.substr(cut + 1));
    if (parts < 1e9 && std::fabs(all - parts) > 1e-6 * (1 + all)) std::abort();
  }
  return 0;
}
