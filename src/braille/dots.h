// Braille characters to dot patterns, and a screen row to the cells of a display.
// Pattern bits: bit 0 = dot 1 ... bit 5 = dot 6, bit 6 = dot 7, bit 7 = dot 8 (the order
// BrlAPI's writeDots takes). Plain code over plain data: no display needed.
#pragma once

#include <cstdint>
#include <vector>

#include "braille/translate.h"

namespace mg {

// Dot pattern of one cp1252 character: the braille keyboard's 64 cell characters give
// their own; digits, capitals and a few signs follow the cell alphabet; accented
// capitals are shown as their small letters, foreign letters as their base letter;
// control characters are blank.
uint8_t DotsOf(uint8_t ch);

// The cells of a display of `cells` cells (1 or more) for one screen row of 80
// characters: translated, padded with blanks, turned into dot patterns.
std::vector<uint8_t> RowCells(BrailleTranslator& translator, const uint8_t* row80, int cells);

}  // namespace mg
