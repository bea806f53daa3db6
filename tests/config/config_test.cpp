#include <gtest/gtest.h>

#include "common/paths.h"
#include "console/minireg.h"
#include "console/sysconfig.h"
#include "speech/config.h"
#include "tempdir.h"

namespace mg {
namespace {

// A user configuration in XDG_CONFIG_HOME/Sonela and a "Windows directory" of its own.
class Config : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    SetWindowsDirectory((dir.path() / "win").string());
    SetLegacyFallback(false);
    // The registry's MBROLA voices come from a folder of the test's own, not the system.
    SetMbrolaRoot((dir.path() / "mbrola").string());
    FlushProfileCache();
  }
  void TearDown() override {
    SetMbrolaRoot("/usr/share/mbrola");
    SetWindowsDirectory("");
    SetLegacyFallback(true);
  }
  void User(const std::string& text) {
    dir.Write("Sonela/Sonela.ini", text);
    FlushProfileCache();
  }
  void Windows(const std::string& text) {
    dir.Write("win/Sonela.ini", text);
    FlushProfileCache();
  }
  test::TempDir dir;
};

TEST_F(Config, EveryKeyHasItsDefaultWithoutAnyFile) {
  EXPECT_EQ(IniDirectory(), dir.path().string() + "\\Sonela");
  EXPECT_EQ(ReadSpeedIndex(), 3);
  EXPECT_EQ(ReadLettersDirectory(), "c:\\winsonela\\som\\letras\\");
  EXPECT_FALSE(ReadSapiSelected());
  EXPECT_FALSE(ReadLegado());
  const SynthSettings s = ReadSynthSettings();
  EXPECT_EQ(s.voice, 0);
  EXPECT_EQ(s.speed, 0);
  EXPECT_EQ(s.tone, 0);
  EXPECT_EQ(s.kind, 0);
  const VoiceParameters v = ReadVoiceParameters(3);
  EXPECT_EQ(v.diphones, "");
  EXPECT_EQ(v.trim, 0);
  EXPECT_EQ(v.minimum, 0);
  EXPECT_EQ(v.pauseWords, 0);
  EXPECT_FALSE(v.cutSpeech);
  EXPECT_FALSE(v.slightlyFaster);
  EXPECT_EQ(v.pausePoint, 250);
  EXPECT_EQ(v.pauseComma, 150);
  EXPECT_EQ(v.pauseColon, 200);
  const LowVisionSettings l = ReadLowVisionSettings();
  EXPECT_EQ(l.zoom, 0);
  EXPECT_EQ(l.letter, 14);
  EXPECT_EQ(l.background, 6);
  EXPECT_EQ(l.cursor, 3);
  const OndalSettings o = ReadOndalSettings();
  EXPECT_EQ(o.mbrolaDb, "br4");
  EXPECT_EQ(o.base, "portug");
  EXPECT_EQ(o.dir, "\\winsonela\\ondaltts\\");
  EXPECT_EQ(ReadLinkProgram(), "");
}

TEST_F(Config, IniDirectoryPrefersTheUserFileThenTheWindowsDirectory) {
  Windows("[SONELA]\n");
  EXPECT_EQ(IniDirectory(), (dir.path() / "win").string());
  User("[SONELA]\n");
  EXPECT_EQ(IniDirectory(), dir.path().string() + "\\Sonela");
}

TEST_F(Config, LegacyFallbackReadsTheWindowsDirectoryFile) {
  User("[SONELA]\nLEGADO=sim\n[TRADUTOR]\nVELOCIDADE=\n");
  Windows("[TRADUTOR]\nVELOCIDADE=5\nSAPI=S\n[SONELA]\nLEGADO=N\n");
  EXPECT_TRUE(ReadLegado());
  SetLegacyFallback(ReadLegado());
  EXPECT_EQ(ReadSpeedIndex(), 5);  // empty in the user file: the fallback answers
  EXPECT_TRUE(ReadSapiSelected());
  SetLegacyFallback(false);
  EXPECT_EQ(ReadSpeedIndex(), 3);
  EXPECT_FALSE(ReadSapiSelected());
  // LEGADO itself is always read with the fallback.
  User("[TRADUTOR]\nSAPI=N\n");
  Windows("[SONELA]\nLEGADO=Sim\n");
  EXPECT_TRUE(ReadLegado());
  Windows("[SONELA]\nLEGADO=N\n");
  EXPECT_FALSE(ReadLegado());
}

TEST_F(Config, DirectoryMacros) {
  const std::string program = ProgramDirectory();
  User("[SONELA]\nPGMSONELA=\n[T]\na=@\nb=@\\som\nc=@@\\voz\nd=x@\\y@\\z\ne=@@\n");
  EXPECT_EQ(IniRead("T", "a"), program);
  EXPECT_EQ(IniRead("T", "b"), program + "\\som");
  EXPECT_EQ(IniRead("T", "c"), dir.path().string() + "\\Sonela\\voz");
  EXPECT_EQ(IniRead("T", "d"), "x" + program + "\\y" + program + "\\z");
  EXPECT_EQ(IniRead("T", "e"), "@@");
  // Both macros in either order, each expanded once.
  const std::string config = dir.path().string() + "\\Sonela";
  User("[T]\nf=@\\som\\@@\\voz\ng=@@\\voz\\@\\som\\@\\x\nh=@@@\\a\n");
  EXPECT_EQ(IniRead("T", "f"), program + "\\som\\" + config + "\\voz");
  EXPECT_EQ(IniRead("T", "g"), config + "\\voz\\" + program + "\\som\\" + program + "\\x");
  EXPECT_EQ(IniRead("T", "h"), "@" + config + "\\a");
  User("[SONELA]\nPGMSONELA=@\n[T]\nb=@\\som\n");
  EXPECT_EQ(IniRead("T", "b"), program + "\\som");
  User("[SONELA]\nPGMSONELA=c:\\winsonela\n[T]\nb=@\\som\n");
  EXPECT_EQ(IniRead("T", "b"), "c:\\winsonela\\som");
  // A PGMSONELA that itself holds "@\" neither recurses nor loops.
  User("[SONELA]\nPGMSONELA=q@\\r\n[T]\nb=@\\som\n");
  EXPECT_EQ(IniRead("T", "b"), "q" + program + "\\r\\som");
}

TEST_F(Config, NumbersAndRanges) {
  User("[TRADUTOR]\nVELOCIDADE=7\n[SERVFALA]\nVELOCIDADE=15\nTIPOSAPI=5\n"
       "[BAIXAVISAO]\nAMPLIACAO=11\nCORLETRA=16\nCORFUNDO=-1\nCORCURSOR=9\n");
  EXPECT_EQ(ReadSpeedIndex(), 3);
  EXPECT_EQ(ReadSynthSettings().speed, 0);
  LowVisionSettings l = ReadLowVisionSettings();
  EXPECT_EQ(l.zoom, 3);
  EXPECT_EQ(l.letter, 14);
  EXPECT_EQ(l.background, 6);
  EXPECT_EQ(l.cursor, 9);
  User("[TRADUTOR]\nVELOCIDADE=2x\n[SERVFALA]\nVELOCIDADE=15\nTIPOSAPI=4\n"
       "[BAIXAVISAO]\nAMPLIACAO=abc\n");
  EXPECT_EQ(ReadSpeedIndex(), 3);
  EXPECT_EQ(ReadSynthSettings().speed, 15);
  EXPECT_EQ(ReadSynthSettings().kind, 4);
  EXPECT_EQ(ReadLowVisionSettings().zoom, 3);
  User("[BAIXAVISAO]\nAMPLIACAO=0\n[TRADUTOR]\nVELOCIDADE=1\n");
  EXPECT_EQ(ReadLowVisionSettings().zoom, 0);
  EXPECT_EQ(ReadSpeedIndex(), 1);
}

TEST_F(Config, VoiceParametersOfOneSpeed) {
  User("[SINTETIZADOR]\nDIFONES2=DIFONESLONGO\nCORTEFON2=300\nSOBRAFON2=abc\nINTERPAL2=80\n"
       "CORTAFALA2=sim\nRAPIDINHO2=N\nPAUSAPONTO2=x\nPAUSAVIRG2=90\nPAUSADOISPONTOS2=120\n"
       "CORTEFON3=999\n");
  const VoiceParameters v = ReadVoiceParameters(2);
  EXPECT_EQ(v.diphones, "DIFONESL");
  EXPECT_EQ(v.trim, 300);
  EXPECT_EQ(v.minimum, 0);
  EXPECT_EQ(v.pauseWords, 80);
  EXPECT_TRUE(v.cutSpeech);
  EXPECT_FALSE(v.slightlyFaster);
  EXPECT_EQ(v.pausePoint, 250);
  EXPECT_EQ(v.pauseComma, 90);
  EXPECT_EQ(v.pauseColon, 120);
}

TEST_F(Config, DirectoriesAndPrograms) {
  User("[TRADUTOR]\nDIRLETRAS=/dados/letras\n[SONELA]\nPROG.HTM=firefox\nPROG.TXT=mousepad\n"
       "[ONDALTTS]\nDIR=/dados/ondal\nMBROLA_DB=br1\n");
  EXPECT_EQ(ReadLettersDirectory(), "/dados/letras\\");
  EXPECT_EQ(ReadLinkProgram(), "firefox");
  EXPECT_EQ(ReadProgramForExtension("txt"), "mousepad");
  EXPECT_EQ(ReadProgramForExtension("TxTx"), "mousepad");
  EXPECT_EQ(ReadProgramForExtension("doc"), "");
  const OndalSettings o = ReadOndalSettings();
  EXPECT_EQ(o.dir, "/dados/ondal\\");
  EXPECT_EQ(o.mbrolaDb, "br1");
}

TEST(ConfigParse, WholeNumbersOnly) {
  int v = 7;
  EXPECT_TRUE(ParseInt("42", v));
  EXPECT_EQ(v, 42);
  EXPECT_TRUE(ParseInt("-3", v));
  EXPECT_EQ(v, -3);
  EXPECT_FALSE(ParseInt("", v));
  EXPECT_FALSE(ParseInt("4 2", v));
  EXPECT_FALSE(ParseInt("99999999999", v));
  EXPECT_FALSE(ParseInt("0x10", v));
  EXPECT_EQ(v, -3);
  EXPECT_TRUE(IniMeansYes("sim"));
  EXPECT_TRUE(IniMeansYes("1"));
  EXPECT_FALSE(IniMeansYes("nao"));
  EXPECT_FALSE(IniMeansYes(""));
}

}  // namespace
}  // namespace mg
