#include "console/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "console/clipboardtext.h"
#include "console/tonewave.h"

namespace mg {
namespace {

// A profile with some keys set; every other key gives its default.
struct FakeProfile {
  std::map<std::string, std::string> values;  // "SECTION/KEY"
  ProfileLookup lookup() const {
    return [this](std::string_view section, std::string_view key, std::string_view def) {
      auto it = values.find(std::string(section) + "/" + std::string(key));
      return it == values.end() ? std::string(def) : it->second;
    };
  }
};

bool Same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

TEST(PaletteTest, DefaultIsTheIdentity) {
  const Palette p = ParsePalette("0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15");
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], i);
}

TEST(PaletteTest, AShortListRemapsOnlyItsEntries) {
  const Palette p = ParsePalette("15,14");
  EXPECT_EQ(p[0], 15);
  EXPECT_EQ(p[1], 14);
  for (int i = 2; i < 16; ++i) EXPECT_EQ(p[i], i);
  EXPECT_TRUE(Same(PaletteValueColour(p[0]), {255, 255, 255}));
  EXPECT_TRUE(Same(PaletteValueColour(p[1]), {255, 255, 0}));
}

TEST(PaletteTest, JunkStopsParsingAndKeepsItsOwnColour) {
  const Palette p = ParsePalette(" 4 , 7 ,x9,3");
  EXPECT_EQ(p[0], 4);
  EXPECT_EQ(p[1], 7);
  EXPECT_EQ(p[2], 2);
  EXPECT_EQ(p[3], 3);  // not reached
  EXPECT_EQ(ParsePalette("3,,5")[2], 2);
  EXPECT_EQ(ParsePalette("-1")[0], 0);
  EXPECT_EQ(ParsePalette("")[0], 0);
}

TEST(PaletteTest, MoreThanSixteenEntriesAndLargeValues) {
  const Palette p = ParsePalette("1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,9,9");
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 1);
  EXPECT_EQ(ParsePalette("99999999999999999999")[0], 255);
  EXPECT_TRUE(Same(PaletteValueColour(16), {0, 0, 0}));
  EXPECT_TRUE(Same(PaletteValueColour(255), {0, 0, 0}));
}

TEST(PaletteTest, ColourTable) {
  EXPECT_TRUE(Same(PaletteValueColour(5), {142, 0, 142}));
  EXPECT_TRUE(Same(PaletteValueColour(6), {68, 34, 34}));
  EXPECT_TRUE(Same(PaletteValueColour(8), {40, 40, 40}));
  EXPECT_TRUE(Same(PaletteValueColour(12), {255, 128, 128}));
}

TEST(DisplaySettingsTest, Defaults) {
  const DisplaySettings s = ParseDisplaySettings(FakeProfile{}.lookup());
  EXPECT_EQ(s.startAttribute, 0x0F);
  EXPECT_FALSE(s.fixedColours);
  EXPECT_FALSE(s.slowScroll);
  EXPECT_EQ(s.brailleMode, 0);
  EXPECT_EQ(s.face, "Lucida Console");
  EXPECT_EQ(s.cellWidth, 0);
  EXPECT_EQ(s.cellHeight, 0);
  EXPECT_EQ(s.weight, 700);
  EXPECT_TRUE(s.normalWindow);
}

TEST(DisplaySettingsTest, YellowOnBlue) {
  FakeProfile f;
  f.values = {{"VIDEO/CORFUNDO", "1"}, {"VIDEO/CORLETRA", "14"}};
  EXPECT_EQ(ParseDisplaySettings(f.lookup()).startAttribute, 0x1E);
}

TEST(DisplaySettingsTest, ColourNumbersKeepToTheirOwnFourBits) {
  FakeProfile f;
  f.values = {{"VIDEO/CORFUNDO", "17"}, {"VIDEO/CORLETRA", "20"}};
  EXPECT_EQ(ParseDisplaySettings(f.lookup()).startAttribute, 0x14);
  f.values = {{"VIDEO/CORFUNDO", "azul"}, {"VIDEO/CORLETRA", ""}};
  EXPECT_EQ(ParseDisplaySettings(f.lookup()).startAttribute, 0x0F);
}

TEST(DisplaySettingsTest, YesKeysLookAtTheFirstLetterOnly) {
  FakeProfile f;
  f.values = {{"VIDEO/CORESFIXAS", "sim"}, {"VIDEO/LENTO", "Nao"}, {"VIDEO/CANTOTELA", "Maximo"}};
  DisplaySettings s = ParseDisplaySettings(f.lookup());
  EXPECT_TRUE(s.fixedColours);
  EXPECT_FALSE(s.slowScroll);
  EXPECT_FALSE(s.normalWindow);
  f.values = {{"VIDEO/CANTOTELA", ""}};
  EXPECT_FALSE(ParseDisplaySettings(f.lookup()).normalWindow);
  f.values = {{"VIDEO/CANTOTELA", "s"}};
  EXPECT_TRUE(ParseDisplaySettings(f.lookup()).normalWindow);
}

TEST(DisplaySettingsTest, BrailleModeFromTheFirstCharacter) {
  FakeProfile f;
  const std::pair<const char*, int> cases[] = {{"0", 0}, {"1", 1}, {"2", 2}, {"3", 1},
                                               {"S", 1}, {"", 0},  {"6", 2}};
  for (auto [text, mode] : cases) {
    f.values = {{"BRAILLE/MODO", text}};
    EXPECT_EQ(ParseDisplaySettings(f.lookup()).brailleMode, mode) << text;
  }
}

TEST(DisplaySettingsTest, FontAndCellKeys) {
  FakeProfile f;
  f.values = {{"VIDEO/FONTE", "DejaVu Sans Mono"},
              {"VIDEO/LARGURALETRA", "12"},
              {"VIDEO/ALTURALETRA", "x"},
              {"VIDEO/PESOLETRA", "400"}};
  DisplaySettings s = ParseDisplaySettings(f.lookup());
  EXPECT_EQ(s.face, "DejaVu Sans Mono");
  EXPECT_EQ(s.cellWidth, 12);
  EXPECT_EQ(s.cellHeight, 0);
  EXPECT_EQ(s.weight, 400);
}

TEST(DisplaySettingsTest, AnotherSectionCanBeNamed) {
  FakeProfile f;
  f.values = {{"VIDEO2/CORLETRA", "10"}};
  EXPECT_EQ(ParseDisplaySettings(f.lookup(), "VIDEO2").startAttribute, 0x0A);
}

TEST(CellSizeTest, FromTheWorkArea) {
  EXPECT_EQ(CellWidthFromWorkArea(1024), 13);
  EXPECT_EQ(CellHeightFromWorkArea(734), 28);
  EXPECT_EQ(CellWidthFromWorkArea(1920), 24);
  EXPECT_EQ(CellHeightFromWorkArea(1040), 39);
  EXPECT_EQ(CellWidthFromWorkArea(-5), 0);
  EXPECT_EQ(ClampCellWidth(0), 3);
  EXPECT_EQ(ClampCellHeight(100000), 400);
}

TEST(ToneTest, BytesOfA1000HzTone) {
  const std::vector<uint8_t> w = BuildToneWave(1000);
  // Period 11 samples (5 low, 6 high), 1002 periods = 11022 samples, then 128.
  ASSERT_EQ(w.size(), 44u + 11022 + 1);
  EXPECT_EQ(std::memcmp(w.data(), "RIFF", 4), 0);
  uint32_t riff, data, rate;
  std::memcpy(&riff, &w[4], 4);
  std::memcpy(&rate, &w[24], 4);
  std::memcpy(&data, &w[40], 4);
  EXPECT_EQ(riff, 11023u + 36);
  EXPECT_EQ(data, 11023u);
  EXPECT_EQ(rate, 11025u);
  EXPECT_EQ(w[34], 8);  // bits per sample
  const uint8_t* s = w.data() + 44;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(s[i], 96);
  for (int i = 5; i < 11; ++i) EXPECT_EQ(s[i], 160);
  EXPECT_EQ(s[11], 96);
  EXPECT_EQ(s[11021], 160);
  EXPECT_EQ(s[11022], 128);
}

TEST(ToneTest, LengthStaysWithinTheBufferForEveryFrequency) {
  for (int f = 1; f <= 65535; f += 97) {
    const std::vector<uint8_t> w = BuildToneWave(static_cast<uint16_t>(f));
    ASSERT_LE(w.size(), 11071u) << f;
    ASSERT_GT(w.size(), 44u + 1) << f;
    ASSERT_EQ(w.back(), 128) << f;
  }
  EXPECT_EQ(BuildToneWave(100).size(), 44u + 110 * 100 + 1);
  EXPECT_TRUE(BuildToneWave(0).empty());
}

TEST(ClipboardTextTest, CapacityRules) {
  char dest[16];
  ClipboardTextToCp1252("0123456789", dest, 5);
  EXPECT_STREQ(dest, "0123");
  ClipboardTextToCp1252("", dest, 5);
  EXPECT_STREQ(dest, "");
  std::memcpy(dest, "keep", 5);
  ClipboardTextToCp1252("abc", dest, 0);
  EXPECT_STREQ(dest, "keep");
  ClipboardTextToCp1252("abc", dest, 1);
  EXPECT_STREQ(dest, "");
}

TEST(ClipboardTextTest, ConvertsToCp1252AndReplacesTheRest) {
  char dest[16];
  ClipboardTextToCp1252("a\xc3\xa7\xe2\x82\xac\xe4\xb8\xad", dest, sizeof dest);
  EXPECT_STREQ(dest, "a\xe7\x80?");
}

}  // namespace
}  // namespace mg
