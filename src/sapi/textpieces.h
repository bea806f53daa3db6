// Texts on their way to a system voice: cut into pieces that a voice takes in one go,
// and turned into the UTF-8 that espeak-ng and speech-dispatcher read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mg::sapi {

// Splits `text` into pieces of at most `limit` bytes (limit >= 1), in order, nothing
// left out: each piece ends after the last sentence end (". ", "! ", "? " or a line
// end) that fits, else after the last blank that fits, else at the limit.
std::vector<std::string_view> SplitText(std::string_view text, size_t limit);

// cp1252 -> UTF-8 with every control character (C0, DEL, and the five byte values that
// cp1252 leaves undefined) turned into a blank, so that the result is valid UTF-8 that
// holds no NUL, line end or escape that could cut the text or break a connection.
std::string SpeakableUtf8(std::string_view cp1252);

// Blanks, tabs and line ends removed from both ends.
std::string_view TrimBlanks(std::string_view text);

}  // namespace mg::sapi
