// Clipboard text conversion: the clipboard holds UTF-8, the program cp1252.
#pragma once

#include <cstddef>
#include <string_view>

namespace mg {

// Converts clipboard text to cp1252 into `destination`: at most capacity - 1
// characters, always zero-terminated; characters cp1252 cannot hold become '?'.
// Capacity 0 leaves the destination untouched.
void ClipboardTextToCp1252(std::string_view utf8, char* destination, size_t capacity);

}  // namespace mg
