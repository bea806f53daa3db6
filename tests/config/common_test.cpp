#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/cp1252.h"
#include "common/paths.h"
#include "common/userstate.h"
#include "common/wavheader.h"
#include "tempdir.h"

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
  SetDriveRoot('d', "/mnt/dados/");
  EXPECT_EQ(ToLinuxPath("d:\\\\som\\"), "/mnt/dados/som/");  // one slash between root and rest
  EXPECT_EQ(ToLinuxPath("d:"), "/mnt/dados/");
  SetDriveRoot('d', "");
  EXPECT_EQ(ToLinuxPath("E:\\"), "/");
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

TEST(UserState, KeysSurviveEachOtherAndDamagedLinesAndRefuseLineBreaks) {
  test::TempDir dir;
  setenv("XDG_CONFIG_HOME", (dir.path() / "cfg").c_str(), 1);
  EXPECT_FALSE(ReadUserState("VELOCIDADE"));
  ASSERT_TRUE(WriteUserState("VELOCIDADE", "5"));
  ASSERT_TRUE(WriteUserState("ULTIMO_DIRETORIO", "/home/ana/M\xc3\xbasica=x"));
  ASSERT_TRUE(WriteUserState("VELOCIDADE", "2"));
  EXPECT_EQ(ReadUserState("VELOCIDADE"), "2");
  EXPECT_EQ(ReadUserState("ULTIMO_DIRETORIO"), "/home/ana/M\xc3\xbasica=x");
  EXPECT_FALSE(WriteUserState("ULTIMO_DIRETORIO", "a\nVELOCIDADE=9"));
  EXPECT_FALSE(WriteUserState("A=B", "1"));
  EXPECT_EQ(ReadUserState("VELOCIDADE"), "2");
  // A hand-damaged file: lines without a key are skipped, the rest still read.
  dir.Write("cfg/minigravador/estado", "lixo\n=3\r\nVELOCIDADE=4\r\n");
  EXPECT_EQ(ReadUserState("VELOCIDADE"), "4");
  EXPECT_FALSE(ReadUserState(""));
  // A value ending in a stray carriage return (a "\r\r\n" line end) is damaged too:
  // read as it stood, a write of another key would change it.
  dir.Write("cfg/minigravador/estado", "ULTIMO_DIRETORIO=/a\r\r\nVELOCIDADE=4\n");
  EXPECT_FALSE(ReadUserState("ULTIMO_DIRETORIO"));
  ASSERT_TRUE(WriteUserState("VELOCIDADE", "3"));
  EXPECT_FALSE(ReadUserState("ULTIMO_DIRETORIO"));
  // An unwritable folder leaves the value unstored, reported as such.
  chmod((dir.path() / "cfg/minigravador").c_str(), 0500);
  if (geteuid() != 0) {
    EXPECT_FALSE(WriteUserState("VELOCIDADE", "1"));
  }
  chmod((dir.path() / "cfg/minigravador").c_str(), 0700);
  unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace mg
