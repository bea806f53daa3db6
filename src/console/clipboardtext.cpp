#include "console/clipboardtext.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/cp1252.h"

namespace mg {

void ClipboardTextToCp1252(std::string_view utf8, char* destination, size_t capacity) {
  if (destination == nullptr || capacity == 0) return;
  const std::string text = Utf8ToCp1252(utf8, '?');
  // The text ends at its first zero, as a plain-text clipboard does.
  const size_t length = std::min({std::strlen(text.c_str()), text.size(), capacity - 1});
  std::memcpy(destination, text.data(), length);
  destination[length] = '\0';
}

}  // namespace mg
