// The speed index across runs and voices: the table of back-end speeds in Sonela.ini
// (real configuration reader over files of the test's own) and the index kept in the
// user's state file.
#include "speech/speed.h"

#include <gtest/gtest.h>

#include "common/paths.h"
#include "common/userstate.h"
#include "console/sysconfig.h"
#include "speech/config.h"
#include "tests/config/tempdir.h"

namespace mg {
namespace {

class Speed : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    SetWindowsDirectory((dir.path() / "win").string());
    SetLegacyFallback(false);
    User("");
  }
  void TearDown() override {
    SetWindowsDirectory("");
    SetLegacyFallback(true);
  }
  void User(const std::string& text) {
    dir.Write("Sonela/Sonela.ini", text);
    FlushProfileCache();
  }
  std::vector<int> Table(int kind, int configured) {
    std::vector<int> speeds;
    for (int n = 1; n <= 5; ++n) speeds.push_back(ReadSynthSpeed(kind, n, configured));
    return speeds;
  }
  test::TempDir dir;
};

TEST_F(Speed, TheTableAppliesToTheKindItWasWrittenForIndexThreeIsVelocidade) {
  User(
      "[SERVFALA]\nTIPOVELOCIDADE=3\nVELOCIDADE1=-6\nVELOCIDADE2=-2\nVELOCIDADE4=4\n"
      "VELOCIDADE5=8\n");
  EXPECT_EQ(Table(3, 0), (std::vector<int>{-6, -2, 0, 4, 8}));
  EXPECT_EQ(Table(3, 2), (std::vector<int>{-6, -2, 2, 4, 8}));  // a user's own VELOCIDADE
  // Another kind gets its own defaults, not the engine's numbers as words per minute.
  EXPECT_EQ(Table(4, 0), (std::vector<int>{135, 155, 0, 280, 450}));
  EXPECT_EQ(Table(54, 0), (std::vector<int>{-3, -1, 0, 4, 10}));
  // Out of range index: 3.
  EXPECT_EQ(ReadSynthSpeed(3, 0, 1), 1);
  EXPECT_EQ(ReadSynthSpeed(3, 9, 1), 1);
}

TEST_F(Speed, WithoutAKindTheTableIsTakenAsWrittenAndBadValuesTakeDefaults) {
  User("[SERVFALA]\nVELOCIDADE1=100\nVELOCIDADE2=abc\nVELOCIDADE3=7\nVELOCIDADE5=500\n");
  // Kind 4 keeps speeds above 10 (words per minute); other kinds make them 0.
  EXPECT_EQ(Table(4, 0), (std::vector<int>{100, 155, 7, 280, 500}));
  EXPECT_EQ(Table(5, 0), (std::vector<int>{0, -1, 7, 4, 0}));
  EXPECT_EQ(Table(3, 0), (std::vector<int>{0, -2, 7, 4, 0}));
  User("[SERVFALA]\nTIPOVELOCIDADE=quatro\nVELOCIDADE1=100\n");
  EXPECT_EQ(ReadSynthSpeed(4, 1, 0), 135);  // a kind that names none: the defaults
}

TEST_F(Speed, TheChosenIndexIsKeptAndWinsOverTheConfiguration) {
  User("[TRADUTOR]\nVELOCIDADE=2\n");
  EXPECT_EQ(StoredSpeedIndex(), 0);
  EXPECT_EQ(StartingSpeedIndex(), 2);
  ASSERT_TRUE(StoreSpeedIndex(5));
  EXPECT_EQ(ReadUserState("VELOCIDADE"), "5");
  EXPECT_EQ(StartingSpeedIndex(), 5);
  // "0" after Ctrl+F4 returns to the configured speed: nothing kept any more.
  ASSERT_TRUE(StoreSpeedIndex(0));
  EXPECT_EQ(StartingSpeedIndex(), 2);
  EXPECT_FALSE(StoreSpeedIndex(6));
  // A damaged state file is no speed.
  for (const char* bad : {"9", "0", "5x", "-1", ""}) {
    ASSERT_TRUE(WriteUserState("VELOCIDADE", bad));
    EXPECT_EQ(StartingSpeedIndex(), 2) << bad;
  }
  // The configuration file is never written.
  EXPECT_EQ(ReadProfileString("TRADUTOR", "VELOCIDADE", "", IniDirectory() + "\\Sonela.ini", 255),
            "2");
}

}  // namespace
}  // namespace mg
