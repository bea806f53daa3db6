// Any text a voice may be given (names read from the disk, typed lines): it is split
// without loss into pieces within the limit and becomes UTF-8 free of controls.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/cp1252.h"
#include "sapi/textpieces.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t limit = 1 + data[0] % 64;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string joined;
  for (std::string_view piece : mg::sapi::SplitText(text, limit)) {
    if (piece.empty() || piece.size() > limit) std::abort();
    joined += piece;
  }
  if (joined != text) std::abort();
  const std::string utf8 = mg::sapi::SpeakableUtf8(text);
  size_t pos = 0, count = 0;
  while (pos < utf8.size()) {
    const char32_t cp = mg::DecodeUtf8(utf8, pos);
    if (cp == 0xFFFD || cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) std::abort();
    ++count;
  }
  if (count != text.size()) std::abort();
  return 0;
}
