// The console's built-in bitmap font: every character it claims is drawn, distinct and
// where the cell leaves room for it; scaling keeps the strokes.
#include "console/builtinfont.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace mg {
namespace {

std::string Bits(uint8_t ch) {
  const BuiltinGlyph g = BuiltinGlyphOf(ch);
  return std::string(reinterpret_cast<const char*>(g.rows), kBuiltinGlyphHeight);
}

bool Blank(const std::string& bits) { return bits.find_first_not_of('\0') == std::string::npos; }

TEST(BuiltinFont, EveryPrintableAsciiCharacterIsDrawnAndDistinct) {
  EXPECT_TRUE(Blank(Bits(' ')));
  std::map<std::string, int> seen;
  for (int ch = 0x21; ch <= 0x7E; ++ch) {
    const std::string bits = Bits(static_cast<uint8_t>(ch));
    EXPECT_TRUE(BuiltinGlyphDrawn(static_cast<uint8_t>(ch))) << char(ch);
    EXPECT_FALSE(Blank(bits)) << char(ch);
    const auto [it, fresh] = seen.emplace(bits, ch);
    EXPECT_TRUE(fresh) << char(ch) << " looks like " << char(it->second);
    for (int r = 0; r < kBuiltinGlyphHeight; ++r) {
      // The rightmost column parts the characters; rows 0-3 are kept for accents.
      EXPECT_EQ(bits[r] & 1, 0) << char(ch) << " row " << r;
      if (r < 4) {
        EXPECT_EQ(bits[r], 0) << char(ch) << " row " << r;
      }
    }
  }
}

TEST(BuiltinFont, PortugueseLettersAreTheirBaseWithTheMark) {
  // cp1252: the accented letters Portuguese writes, each with its base letter.
  const std::string accented =
      "\xe1\xe0\xe2\xe3\xe9\xea\xed\xf3\xf4\xf5\xfa\xfc\xe7"
      "\xc1\xc0\xc2\xc3\xc9\xca\xcd\xd3\xd4\xd5\xda\xdc\xc7";
  const std::string bases =
      "aaaaeeiooouuc"
      "AAAAEEIOOOUUC";
  std::map<std::string, char> seen;
  for (size_t i = 0; i < accented.size(); ++i) {
    const uint8_t ch = static_cast<uint8_t>(accented[i]);
    const std::string bits = Bits(ch), base = Bits(static_cast<uint8_t>(bases[i]));
    EXPECT_TRUE(BuiltinGlyphDrawn(ch)) << i;
    EXPECT_TRUE(seen.emplace(bits, accented[i]).second) << i;
    const bool small = bases[i] >= 'a';
    const bool cedilla = bases[i] == 'c' || bases[i] == 'C';
    // The body keeps the base letter's rows (the i without its dot); the mark goes
    // above a small letter's body, above a capital, or under the c.
    const int body = small ? 7 : 4;
    EXPECT_EQ(bits.substr(body, 13 - body), base.substr(body, 13 - body)) << i;
    if (cedilla) {
      EXPECT_TRUE(Blank(bits.substr(0, 4)) && !Blank(bits.substr(13))) << i;
    } else {
      EXPECT_FALSE(Blank(bits.substr(small ? 4 : 1, 2))) << i;
      EXPECT_TRUE(Blank(bits.substr(13))) << i;
    }
  }
  EXPECT_NE(Bits(0xAA), Bits(0xBA));  // ª and º
  EXPECT_FALSE(Blank(Bits(0xBA)));
}

TEST(BuiltinFont, OtherCharactersShowTheBoxAndQuotesTheirPlainForm) {
  const std::string box = Bits(0x80);  // the euro sign is not drawn
  EXPECT_FALSE(Blank(box));
  for (const uint8_t ch : {0x80, 0xC6, 0xDF, 0xF8, 0xA7}) {
    EXPECT_FALSE(BuiltinGlyphDrawn(ch)) << int(ch);
    EXPECT_EQ(Bits(ch), box) << int(ch);
  }
  for (const uint8_t ch : {0x00, 0x09, 0x1F, 0x7F, 0xA0}) EXPECT_TRUE(Blank(Bits(ch))) << int(ch);
  EXPECT_EQ(Bits(0x93), Bits('"'));
  EXPECT_EQ(Bits(0x92), Bits('\''));
  EXPECT_EQ(Bits(0x96), Bits('-'));
}

TEST(BuiltinFont, ScalingKeepsEveryStroke) {
  const BuiltinGlyph a = BuiltinGlyphOf(0xC3);  // Ã
  // Twice the size: each pixel becomes a full 2 x 2 block.
  const std::vector<uint8_t> twice = ScaleBuiltinGlyph(a, 16, 32);
  ASSERT_EQ(twice.size(), 16u * 32u);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool on = (a.rows[y / 2] & (0x80 >> (x / 2))) != 0;
      EXPECT_EQ(twice[y * 16 + x], on ? 255 : 0) << x << "," << y;
    }
  }
  // An uneven cell: the ink is kept (to rounding), and no pixel of the glyph is lost.
  const int w = 13, h = 29;
  const std::vector<uint8_t> odd = ScaleBuiltinGlyph(a, w, h);
  ASSERT_EQ(odd.size(), size_t(w * h));
  int pixels = 0;
  long ink = 0;
  for (int r = 0; r < kBuiltinGlyphHeight; ++r) {
    for (int c = 0; c < kBuiltinGlyphWidth; ++c) {
      if ((a.rows[r] & (0x80 >> c)) == 0) continue;
      ++pixels;
      const int x = (2 * c + 1) * w / 16, y = (2 * r + 1) * h / 32;  // its centre
      EXPECT_GT(odd[y * w + x], 0) << c << "," << r;
    }
  }
  for (const uint8_t v : odd) ink += v;
  const double expected = 255.0 * pixels * (w * h) / (8 * 16);
  EXPECT_NEAR(static_cast<double>(ink), expected, w * h);
  EXPECT_TRUE(ScaleBuiltinGlyph(a, 0, 16).empty());
}

}  // namespace
}  // namespace mg
