// The console's own 8 x 16 bitmap font, used when no font file can be opened: printable
// ASCII, the ordinal signs and the accented Latin letters of cp1252 (all those Portuguese
// writes); any other character shows as an outlined box.
#pragma once

#include <cstdint>
#include <vector>

namespace mg {

constexpr int kBuiltinGlyphWidth = 8;
constexpr int kBuiltinGlyphHeight = 16;
constexpr int kBuiltinBaseline = 13;  // rows from the top down to the baseline

struct BuiltinGlyph {
  uint8_t rows[kBuiltinGlyphHeight] = {};  // top row first; bit 7 is the leftmost pixel
};

// The glyph of cp1252 character `ch`: blank for control codes and blanks, the box for a
// character the font does not draw.
BuiltinGlyph BuiltinGlyphOf(uint8_t ch);
// Whether `ch` has a drawing of its own (not the box).
bool BuiltinGlyphDrawn(uint8_t ch);

// The glyph scaled to a cell of width x height pixels, row by row, as coverage 0-255:
// each pixel's share of the glyph's pixels under it, so that strokes keep an even weight
// at any size. Empty when a side is not positive.
std::vector<uint8_t> ScaleBuiltinGlyph(const BuiltinGlyph& glyph, int width, int height);

}  // namespace mg
