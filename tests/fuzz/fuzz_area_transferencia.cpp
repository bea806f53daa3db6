// Any bytes as clipboard text (UTF-8 or not) into buffers of several sizes: always
// terminated within the capacity, never a byte written past it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "console/clipboardtext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (size_t capacity : {size_t{1}, size_t{5}, size + 1, size * 2 + 2}) {
    std::vector<char> out(capacity + 8, '\x7f');
    mg::ClipboardTextToCp1252(text, out.data(), capacity);
    if (std::memchr(out.data(), 0, capacity) == nullptr) std::abort();
    for (size_t i = capacity; i < out.size(); ++i)
      if (out[i] != '\x7f') std::abort();
  }
  return 0;
}
