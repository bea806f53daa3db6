// The legacy translator's phoneme string of one word, rewritten in the own engine's
// notation (br4 symbols separated by blanks, ">" glued to the stressed vowel), so that
// both rule sets can be scored the same way.
#pragma once

#include <string>
#include <string_view>

namespace mg::voz {

// `fita` is what TraduzTexto gives for one word: bracketed groups of units separated
// by "/". Units that spell a character (" /_X") and unknown symbols give nothing.
std::string FonemasDoLegado(std::string_view fita);

}  // namespace mg::voz
