// uttsTonica: the stressed vowel of a Portuguese word, from its spelling alone.
#pragma once

#include <string_view>

namespace mg {

// Lower case of one cp1252 character: ASCII letters, the accented letters 0xC0-0xDE
// (except the multiplication sign), and Š, Œ, Ž, Ÿ. Any other byte is returned unchanged.
char MinusculaCp1252(char c);

// The 1-based position of the stressed vowel of `word` (cp1252, any case), or 0 when the
// word has neither a plain nor an accented vowel. The rightmost written accent wins;
// otherwise the Portuguese rules for the word's ending decide.
int PosicaoTonica(std::string_view word);

}  // namespace mg
