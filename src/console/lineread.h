// Line input with echo, over any key source and any screen writer.
#pragma once

#include <cstdint>
#include <functional>

namespace mg {

using KeySource = std::function<uint8_t()>;
using ScreenWriter = std::function<void(const char*, uint16_t)>;

// Reads codes until Enter (13). Backspace removes the last typed character (echoing 8);
// codes of 32 or more are kept and echoed while fewer than size - 2 are typed; all
// other codes are dropped, so the first code of a two-code key is lost and its number
// is taken as a character when it is 32 or more. Carriage return and line feed end the
// line, as far as they fit. Returns the number of bytes stored (length + 2).
int ReadLineFrom(char* buffer, int size, const KeySource& readKey, const ScreenWriter& write);

}  // namespace mg
