#include <gtest/gtest.h>

#include "common/cp1252.h"
#include "common/paths.h"
#include "common/wavheader.h"

namespace mg {
namespace {

TEST(Cp1252, RoundTripsEveryByteThroughUtf8) {
  for (int b = 1; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    bool lossless = false;
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one), '?', &lossless), one) << b;
    EXPECT_TRUE(lossless) << b;
  }
  EXPECT_EQ(Cp1252ToUtf8("\x80\xe7\xe3"), "\u20ac\u00e7\u00e3");
}

TEST(Cp1252, UnrepresentableAndMalformedUtf8BecomeReplacement) {
  bool lossless = true;
  EXPECT_EQ(Utf8ToCp1252("a\u4e2db", '?', &lossless), "a?b");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(Utf8ToCp1252("\xc3"), "?");            // truncated sequence
  EXPECT_EQ(Utf8ToCp1252("\xc0\xafx"), "??x");     // overlong slash
  EXPECT_EQ(Utf8ToCp1252("\xed\xa0\x80"), "???");  // surrogate
  EXPECT_EQ(Utf8ToCp1252("\xf0\x9f\x98\x80"), "?");
}

TEST(Paths, SuitePathsBecomeLinuxPaths) {
  EXPECT_EQ(ToLinuxPath("c:\\winsonela\\som\\letras\\"), "/winsonela/som/letras/");
  EXPECT_EQ(ToLinuxPath("/usr/share/x/"), "/usr/share/x/");
  EXPECT_EQ(ToLinuxPath("relativo\\a"), "relativo/a");
  EXPECT_EQ(ToLinuxPath("\\winsonela\\ondaltts\\"), "/winsonela/ondaltts/");
  EXPECT_EQ(ToLinuxPath("m\xfasica"), "m\u00fasica");
  SetDriveRoot('d', "/mnt/dados");
  EXPECT_EQ(ToLinuxPath("D:\\som"), "/mnt/dados/som");
  SetDriveRoot('d', "");
  setenv("HOME", "/home/ana", 1);
  EXPECT_EQ(ToLinuxPath("~/minigravador.iso"), "/home/ana/minigravador.iso");
  EXPECT_EQ(ToLinuxPath("~x"), "~x");
}

TEST(WavHeader, CanonicalLayout) {
  uint8_t h[44];
  WriteWavHeader(h, 256, 11025, 1, 8);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h), 4), "RIFF");
  EXPECT_EQ(h[4] | h[5] << 8, 292);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h + 8), 8), "WAVEfmt ");
  EXPECT_EQ(h[16], 16);
  EXPECT_EQ(h[20], 1);
  EXPECT_EQ(h[22], 1);
  EXPECT_EQ(h[24] | h[25] << 8, 11025);
  EXPECT_EQ(h[28] | h[29] << 8, 11025);
  EXPECT_EQ(h[32], 1);
  EXPECT_EQ(h[34], 8);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h + 36), 4), "data");
  EXPECT_EQ(h[40] | h[41] << 8, 256);
  WriteWavHeader(h, 10, 16000, 1, 16);
  EXPECT_EQ(h[28] | h[29] << 8 | h[30] << 16, 32000);
  WriteWavHeaderAligned(h, 10, 16000, 2, 16);
  EXPECT_EQ(h[32], 4);
}

}  // namespace
}  // namespace mg
