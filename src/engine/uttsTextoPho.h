// The text stages of one utterance in order: preprocessing, tokens, intonation
// patterns, phonemes and MBROLA input lines. The engine's rule, exception,
// abbreviation, prosody and diphone tables must be loaded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mg {

std::vector<std::string> TextoParaPho(std::string_view texto, double fatorFrequencia,
                                      double fatorDuracao);

}  // namespace mg
