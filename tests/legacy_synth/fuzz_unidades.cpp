// Fuzzes the unit index reader and the WAV reader with the same bytes.
#include <cstddef>
#include <cstdint>

#include "legacy/unidades.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mg::UnitIndex index;
  const uint64_t dataSize = size ? data[0] * 997u : 0;
  if (index.Parse(data, size, dataSize)) {
    for (const auto& r : index.Records()) {
      const mg::UnitRecord* found = index.Find(r.name);
      if (!found || found->offset + static_cast<uint64_t>(found->length) > dataSize)
        __builtin_trap();
    }
  }
  auto samples = mg::DecodeWavU8Mono(data, size);
  if (samples && samples->empty()) __builtin_trap();
  return 0;
}
