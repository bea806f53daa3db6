// The editor's parts that need no window: word rules, clipboard text, link commands,
// starting a program, battery status, dial tones.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "audio/snwav.h"
#include "console/console.h"
#include "speech/battery.h"
#include "speech/dialtones.h"
#include "speech/editortext.h"
#include "speech/linkopen.h"
#include "speech_double.h"

namespace mg {
namespace {

namespace fs = std::filesystem;

std::string Field(std::string_view s, size_t length = 30) {
  std::string t(s);
  t.resize(length, ' ');
  return t;
}

TEST(WordMoves, DigitsAndLettersAreSeparateRuns) {
  // "abc123 def": from the end of the digits back to them, then to the letters.
  const std::string t = Field("abc123 def");
  EXPECT_EQ(edit::PreviousWord(t, 7).cursor, 4);
  EXPECT_EQ(edit::PreviousWord(t, 4).cursor, 1);
  EXPECT_EQ(edit::NextWord(t, 1).cursor, 4);  // letters stop before the digits
  EXPECT_EQ(edit::NextWord(t, 4).cursor, 8);  // digits, then the blank
  const edit::WordMove end = edit::NextWord(t, 8);
  EXPECT_EQ(end.cursor, 11);  // after the last non-blank
  EXPECT_TRUE(end.beep);
  EXPECT_FALSE(edit::NextWord(t, 4).beep);
}

TEST(WordMoves, AccentedLettersBelongToTheWord) {
  // "ação é" in cp1252: the accented bytes are letters, so the word is one run.
  const std::string t = Field("a\xe7\xe3o \xe9 fim");
  EXPECT_EQ(edit::NextWord(t, 1).cursor, 6);
  EXPECT_EQ(edit::NextWord(t, 6).cursor, 8);
  EXPECT_EQ(edit::PreviousWord(t, 5).cursor, 1);
}

TEST(WordMoves, OnlyBlanksBeforeTheCursorBeepAtPositionOne) {
  const std::string t = Field("   abc");
  const edit::WordMove m = edit::PreviousWord(t, 4);
  EXPECT_EQ(m.cursor, 1);
  EXPECT_TRUE(m.beep);
  EXPECT_TRUE(edit::PreviousWord(t, 1).beep);
  // A blank text: next word ends at position 1 with a beep.
  const edit::WordMove n = edit::NextWord(Field(""), 1);
  EXPECT_EQ(n.cursor, 1);
  EXPECT_TRUE(n.beep);
}

TEST(ReadNextWord, NumbersWordsConsonantsAndSigns) {
  const std::string t = Field("  -12x CBF casa ;");
  edit::NextRead r = edit::ReadNextWord(t, 1);
  EXPECT_EQ(r.say, edit::Say::Speak);
  EXPECT_EQ(r.word, "-12");
  EXPECT_EQ(r.cursor, 6);
  r = edit::ReadNextWord(t, r.cursor);
  EXPECT_EQ(r.word, "x");
  EXPECT_EQ(r.say, edit::Say::Spell);  // a lone consonant is spelled
  r = edit::ReadNextWord(t, r.cursor);
  EXPECT_EQ(r.word, "CBF");
  EXPECT_EQ(r.say, edit::Say::Spell);
  r = edit::ReadNextWord(t, r.cursor);
  EXPECT_EQ(r.word, "casa");
  EXPECT_EQ(r.say, edit::Say::Speak);
  r = edit::ReadNextWord(t, r.cursor);
  EXPECT_EQ(r.word, ";");
  EXPECT_EQ(r.say, edit::Say::Spell);
  const int at = r.cursor;
  r = edit::ReadNextWord(t, at);
  EXPECT_EQ(r.say, edit::Say::Nothing);
  EXPECT_EQ(r.cursor, at);
}

TEST(ReadNextWord, WAndYAreNotConsonantsHere) {
  EXPECT_EQ(edit::ReadNextWord(Field("WWW"), 1).say, edit::Say::Speak);
  EXPECT_EQ(edit::ReadNextWord(Field("xyz"), 1).say, edit::Say::Speak);
  EXPECT_EQ(edit::ReadNextWord(Field("\xc7"), 1).say, edit::Say::Speak);  // Ç
}

TEST(WordForLink, StripsOpeningPunctuationKeepsClosing) {
  const std::string t = Field("veja (www.exemplo.com.br) agora", 40);
  EXPECT_EQ(edit::WordForLink(t, 10), "www.exemplo.com.br)");
  EXPECT_EQ(edit::WordForLink(Field("\"*-<=>[_{arquivo.txt.-_"), 5), "arquivo.txt");
  EXPECT_EQ(edit::WordForLink(Field("abc ((( def"), 6), "");
  // The cursor just after a word still names it.
  EXPECT_EQ(edit::WordForLink(Field("leia.txt  x"), 9), "leia.txt");
}

TEST(ClipboardText, FirstLineControlsAndLength) {
  EXPECT_EQ(edit::CleanPaste("primeira\r\nsegunda", 255), "primeira");
  EXPECT_EQ(edit::CleanPaste("um\nDois", 255), "um");
  EXPECT_EQ(edit::CleanPaste("a\tb\x01"
                             "c",
                             255),
            "a b c");
  EXPECT_EQ(edit::CleanPaste(std::string(5000, 'x'), 2048).size(), 2048u);
  EXPECT_EQ(edit::CleanPaste("", 10), "");
}

TEST(EditText, InsertRemoveReplaceKeepTheLength) {
  std::string t = Field("abc", 5);
  edit::InsertAt(t, 1, 'X');
  EXPECT_EQ(t, "Xabc ");
  edit::InsertAt(t, 5, 'Y');
  EXPECT_EQ(t, "XabcY");
  edit::InsertAt(t, 6, 'Z');  // past the end: nothing
  EXPECT_EQ(t, "XabcY");
  EXPECT_EQ(edit::RemoveAt(t, 2), 'a');
  EXPECT_EQ(t, "XbcY ");
  EXPECT_EQ(edit::RemoveAt(t, 9), ' ');
  edit::ReplaceRange(t, 2, 4, "123456");
  EXPECT_EQ(t, "X1234");
  edit::ReplaceRange(t, 9, 2, "q");  // out-of-range positions are clamped, no throw
  EXPECT_EQ(t.size(), 5u);
}

std::map<std::string, std::string> g_programs;
std::string ReadProgram(std::string_view key) {
  auto it = g_programs.find(std::string(key));
  return it == g_programs.end() ? std::string() : it->second;
}

TEST(LinkCommand, WebAddressesGoToTheBrowser) {
  g_programs = {};
  LinkCommand c = ResolveLink("www.exemplo.com.br)", "/home/u", ReadProgram);
  EXPECT_EQ(c.argv, (std::vector<std::string>{"xdg-open", "www.exemplo.com.br)"}));
  EXPECT_EQ(c.directory, "/home/u");
  g_programs = {{"HTM", "firefox"}};
  c = ResolveLink("https://a.b/c?d=e;rm -rf", "/", ReadProgram);
  EXPECT_EQ(c.argv, (std::vector<std::string>{"firefox", "https://a.b/c?d=e;rm -rf"}));
  // Only the exact lower-case prefixes.
  c = ResolveLink("WWW.X.COM", "/", ReadProgram);
  EXPECT_EQ(c.argv[0], "xdg-open");
}

TEST(LinkCommand, FilesByExtensionAndPrograms) {
  g_programs = {{"TXT", "c:\\bin\\editor"}, {"\xc7\xc3O", "acao"}};
  LinkCommand c = ResolveLink("leia.txt", "/d", ReadProgram);
  EXPECT_EQ(c.argv, (std::vector<std::string>{"/bin/editor", "leia.txt"}));
  c = ResolveLink("x.\xe7\xe3o", "/d", ReadProgram);  // Latin-1 letters upper-cased
  EXPECT_EQ(c.argv[0], "acao");
  c = ResolveLink("foto.jpeg", "/d", ReadProgram);
  EXPECT_EQ(c.argv, (std::vector<std::string>{"xdg-open", "foto.jpeg"}));
  c = ResolveLink("prog.exe", "/d", ReadProgram);
  EXPECT_EQ(c.argv, (std::vector<std::string>{"/d/prog.exe"}));
  c = ResolveLink("c:\\jogos\\x.com", "/d", ReadProgram);
  EXPECT_EQ(c.argv, (std::vector<std::string>{"/jogos/x.com"}));
  c = ResolveLink("\\x.exe", "/d/", ReadProgram);
  EXPECT_EQ(c.argv, (std::vector<std::string>{"/x.exe"}));
}

TEST(LaunchDetached, StartsProgramsAndReportsMissingOnes) {
  const fs::path mark = fs::temp_directory_path() / ("mg_link_" + std::to_string(getpid()));
  fs::remove(mark);
  // No shell runs the words: a name with shell syntax is just a missing program.
  EXPECT_FALSE(LaunchDetached({{"touch " + mark.string()}, "/"}));
  EXPECT_FALSE(LaunchDetached({{"/nonexistent/program", "x"}, "/"}));
  EXPECT_FALSE(LaunchDetached({{}, "/"}));
  EXPECT_FALSE(LaunchDetached({{"true"}, "/nonexistent/dir"}));
  ASSERT_TRUE(LaunchDetached({{"touch", mark.string()}, "/"}));
  for (int i = 0; i < 200 && !fs::exists(mark); ++i) usleep(10000);
  EXPECT_TRUE(fs::exists(mark));
  fs::remove(mark);
}

TEST(OpenLink, MissingProgramBeeps) {
  test::ClearSounds();
  std::vector<LinkCommand> seen;
  SetLinkLauncher([&](const LinkCommand& c) {
    seen.push_back(c);
    return false;
  });
  OpenLink("leia.txt");
  SetLinkLauncher({});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(test::Sounds(), (std::vector<std::string>{"beep"}));
}

class PowerSupply : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("mg_power_" + std::to_string(getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  void Supply(const std::string& name, std::map<std::string, std::string> attributes) {
    fs::create_directories(root_ / name);
    for (const auto& [k, v] : attributes) std::ofstream(root_ / name / k) << v << "\n";
  }
  fs::path root_;
};

TEST_F(PowerSupply, NoSupplyAtAllMeansNoBattery) {
  const PowerStatus st = ReadPowerStatus(root_.string());
  EXPECT_FALSE(st.battery);
  EXPECT_EQ(st.mains, 255);
  EXPECT_FALSE(ReadPowerStatus("/nonexistent/power").battery);
}

TEST_F(PowerSupply, LaptopOnBattery) {
  Supply("BAT0", {{"type", "Battery"}, {"capacity", "57"}, {"status", "Discharging"}});
  Supply("AC", {{"type", "Mains"}, {"online", "0"}});
  Supply("hidpp_battery_0", {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "5"}});
  const PowerStatus st = ReadPowerStatus(root_.string());
  EXPECT_TRUE(st.battery);
  EXPECT_EQ(st.percent, 57);
  EXPECT_EQ(st.mains, 0);

  test::ClearSounds();
  SetPowerSupplyRoot(root_.string());
  SpeakBattery();
  EXPECT_EQ(test::Sounds(), (std::vector<std::string>{"text:57%", "rec:_SEMENER"}));
}

TEST_F(PowerSupply, TwoBatteriesByEnergyAndJunkFiles) {
  Supply(
      "BAT0",
      {{"type", "Battery"}, {"energy_now", "10000"}, {"energy_full", "40000"}, {"capacity", "25"}});
  Supply(
      "BAT1",
      {{"type", "Battery"}, {"energy_now", "30000"}, {"energy_full", "40000"}, {"capacity", "75"}});
  Supply("ADP1", {{"type", "Mains"}, {"online", "1"}});
  PowerStatus st = ReadPowerStatus(root_.string());
  EXPECT_EQ(st.percent, 50);
  EXPECT_EQ(st.mains, 1);
  Supply("BAT0", {{"capacity", "999999999999999999999"}, {"energy_now", "x"}});
  st = ReadPowerStatus(root_.string());
  EXPECT_GE(st.percent, 0);
  EXPECT_LE(st.percent, 100);
}

TEST_F(PowerSupply, DesktopWithoutBattery) {
  Supply("AC", {{"type", "Mains"}, {"online", "1"}});
  test::ClearSounds();
  SetPowerSupplyRoot(root_.string());
  SpeakBattery();
  EXPECT_EQ(test::Sounds(), (std::vector<std::string>{"rec:_SEMBAT"}));
}

TEST(DialTones, DigitsSignsAndCommas) {
  test::ClearSounds();
  WavFlags().slightlyFaster = true;
  SpeakDialTones("1*#,a9 X");
  EXPECT_TRUE(WavFlags().slightlyFaster);
  const std::string d = "file:c:\\som\\letras\\dtmf_";
  EXPECT_EQ(test::Sounds(),
            (std::vector<std::string>{d + "1.wav", d + "X.wav", d + "#.wav", d + "9.wav"}));
}

TEST(DialTones, AWaitingKeyEndsTheSequence) {
  test::ClearSounds();
  PushKey('x');
  SpeakDialTones("123");
  EXPECT_TRUE(test::Sounds().empty());
  ReadKey();
}

}  // namespace
}  // namespace mg
