// Texts for the system voices: long texts split without loss, cp1252 to clean UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "common/cp1252.h"
#include "sapi/textpieces.h"

namespace mg::sapi {
namespace {

std::string Joined(const std::vector<std::string_view>& pieces) {
  std::string all;
  for (auto p : pieces) all += p;
  return all;
}

TEST(TextPieces, LongTextsAreSplitNeverCut) {
  std::string text;
  for (int i = 0; text.size() < 70000; ++i) text += "Frase numero " + std::to_string(i) + ". ";
  const auto pieces = SplitText(text, 63999);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(Joined(pieces), text);
  EXPECT_LE(pieces[0].size(), 63999u);
  EXPECT_EQ(pieces[0].substr(pieces[0].size() - 1), ".") << "cut after a sentence end";

  // Without sentence ends, at a blank; without blanks, at the limit.
  const auto words = SplitText("aaa bbb ccc", 6);
  EXPECT_EQ(words, (std::vector<std::string_view>{"aaa ", "bbb ", "ccc"}));
  const std::string run(20, 'x');
  const auto hard = SplitText(run, 7);
  EXPECT_EQ(hard.size(), 3u);
  EXPECT_EQ(Joined(hard), run);
  EXPECT_TRUE(SplitText("", 10).empty());
  EXPECT_EQ(SplitText("curto", 10).size(), 1u);
}

TEST(TextPieces, Cp1252BecomesValidUtf8WithoutControls) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  const std::string utf8 = SpeakableUtf8(all);
  // Valid UTF-8 that reads back as the same characters, controls as blanks.
  bool lossless = false;
  const std::string back = Utf8ToCp1252(utf8, '?', &lossless);
  ASSERT_EQ(back.size(), all.size());
  for (int c = 1; c < 256; ++c) {
    const char32_t cp = Cp1252ToCodePoint(static_cast<uint8_t>(c));
    const bool control = cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
    EXPECT_EQ(static_cast<uint8_t>(back[c - 1]), control ? ' ' : c) << "byte " << c;
  }
  EXPECT_EQ(SpeakableUtf8("a\xe7\xe3o \x80 <&>"), "a\xc3\xa7\xc3\xa3o \xe2\x82\xac <&>");
  EXPECT_EQ(SpeakableUtf8(std::string("a\0b\r\n.", 6)), "a b  .");
  EXPECT_EQ(TrimBlanks(" \t x y \r\n"), "x y");
}

}  // namespace
}  // namespace mg::sapi
