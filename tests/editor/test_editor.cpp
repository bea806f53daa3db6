// Scripted keys through the real editor on the real console (offscreen window): the text
// it returns, the screen row it leaves and the sounds it asks for.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "common/paths.h"
#include "common/userstate.h"
#include "console/console.h"
#include "keyscript.h"
#include "speech/config.h"
#include "speech/lineinput.h"
#include "speech/linkopen.h"
#include "speech/speech.h"
#include "speech_double.h"

namespace mg {
namespace {

using test::Extended;
using test::PressKey;
using test::Sounds;
using test::Type;
using Strings = std::vector<std::string>;

std::string Ch(uint8_t c) { return "char:" + std::to_string(c); }

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConsoleOpen();
    test::ClearScreen();
    test::ClearSounds();
    Speech().echo = true;
    while (KeyWaiting()) ReadKey();
  }
  // Runs the editor at row 5 on `text` and returns the key that ended it.
  int Edit(std::string& text, int width = 40, int maxLength = 255) {
    return EditLineSpoken(text, 1, 5, width, maxLength);
  }
};

TEST_F(EditorTest, EscapeBlanksTheThreeLettersAndEmptiesTheText) {
  SetCursor(1, 5);
  Type("abc\x1b");
  std::string text = "old";
  ReadLineSpoken(text);
  EXPECT_EQ(text, "");
  EXPECT_EQ(test::ScreenRow(5), std::string(80, ' '));
  EXPECT_EQ(Sounds(), (Strings{Ch('a'), Ch('b'), Ch('c')}));
  EXPECT_EQ(CursorRow(), 6);  // the line was ended
  EXPECT_EQ(CursorColumn(), 1);
}

TEST_F(EditorTest, UpAndDownEndLikeEnterKeepingTheText) {
  SetCursor(3, 5);
  Type("ab");
  Extended(72);
  std::string text;
  ReadLineSpoken(text);
  EXPECT_EQ(text, "ab");
  EXPECT_EQ(test::ScreenRow(5).substr(0, 5), "  ab ");
  EXPECT_EQ(CursorRow(), 6);

  Type("x");
  Extended(80);
  std::string other;
  EXPECT_EQ(Edit(other), 80);
  EXPECT_EQ(other, "x");
}

TEST_F(EditorTest, TheTwoHundredFiftySixthCharacterBeepsAndIsNotInserted) {
  std::string script;
  for (int i = 0; i < 256; ++i) script += static_cast<char>('a' + i % 26);
  script += '\r';
  test::FeedKeys(script);
  SetCursor(1, 5);
  std::string text;
  ReadLineSpoken(text);
  ASSERT_EQ(text.size(), 255u);
  EXPECT_EQ(text, script.substr(0, 255));
  ASSERT_EQ(Sounds().size(), 256u);
  EXPECT_EQ(Sounds()[254], Ch(static_cast<uint8_t>(script[254])));
  EXPECT_EQ(Sounds()[255], "beep");
  // The field shows its first 78 characters after the end.
  EXPECT_EQ(test::ScreenRow(5).substr(0, 78), script.substr(0, 78));
}

TEST_F(EditorTest, BackspaceBeepsAtPositionOneAndSaysDelElsewhere) {
  Type("\bab\b\r");
  std::string text;
  EXPECT_EQ(Edit(text), 13);
  EXPECT_EQ(text, "a");
  EXPECT_EQ(Sounds(), (Strings{"beep", Ch('a'), Ch('b'), "rec:_DEL", Ch('b')}));
}

TEST_F(EditorTest, ShiftRightThreeTimesThenShiftDelDeletesTheSelection) {
  std::string text = "abcdef";
  for (int i = 0; i < 3; ++i) PressKey(SDLK_RIGHT, KMOD_LSHIFT);
  // When Shift+Del says "_DEL", the screen still shows the selection on background
  // colour 8.
  uint8_t selectedAttr = 0, plainAttr = 0;
  test::OnSound([&](const std::string& sound) {
    if (sound != "rec:_DEL" || plainAttr != 0) return;
    selectedAttr = ScreenAttrAt(3, 5);
    plainAttr = ScreenAttrAt(4, 5);
  });
  PressKey(SDLK_DELETE, KMOD_LSHIFT);
  Extended(83);  // a plain Del: drops the selection, deletes one character
  Type("\r");
  EXPECT_EQ(Edit(text), 13);
  EXPECT_EQ(text, "ef");
  EXPECT_EQ(selectedAttr >> 4, 8);
  EXPECT_EQ(plainAttr, 0x0F);
  EXPECT_EQ(Sounds(), (Strings{Ch('a'), Ch('b'), Ch('c'), "rec:_DEL", Ch('a'), Ch('b'), Ch('c'),
                               "rec:_DEL", Ch('d')}));
  EXPECT_EQ(test::ScreenRow(5).substr(0, 4), "ef  ");
}

TEST_F(EditorTest, ShiftLeftSelectionCopiesInOrder) {
  std::string text = "abcdef";
  Extended(79);  // End
  PressKey(SDLK_LEFT, KMOD_LSHIFT);
  PressKey(SDLK_LEFT, KMOD_LSHIFT);
  Type("\x03\r");  // Ctrl+C copies the selection
  Edit(text);
  char clip[32] = {};
  PasteFromClipboard(clip, sizeof clip);
  EXPECT_STREQ(clip, "ef");
  // Without a selection the text goes whole, with a line end.
  Type("\x03\r");
  Edit(text);
  PasteFromClipboard(clip, sizeof clip);
  EXPECT_STREQ(clip, "abcdef\r\n");
}

TEST_F(EditorTest, PasteTakesTheFirstLineOnly) {
  CopyToClipboard("primeira linha\r\nsegunda linha");
  std::string text = "prefilled";
  Type("\x16\r");  // Ctrl+V as the first key blanks the field first
  Edit(text);
  EXPECT_EQ(text, "primeira linha");
  EXPECT_EQ(Sounds(), (Strings{"click", "click"}));
}

TEST_F(EditorTest, PasteReplacesTheSelectionAndBecomesIt) {
  CopyToClipboard("XYZ");
  std::string text = "abc";
  PressKey(SDLK_RIGHT, KMOD_LSHIFT);   // select "a"
  PressKey(SDLK_INSERT, KMOD_LSHIFT);  // Shift+Ins pastes over it
  PressKey(SDLK_DELETE, KMOD_LSHIFT);  // the pasted text is the selection
  Type("\r");
  Edit(text);
  EXPECT_EQ(text, "bc");
  EXPECT_EQ(Sounds(), (Strings{Ch('a'), "rec:_DEL", Ch('X'), Ch('Y'), Ch('Z')}));
}

TEST_F(EditorTest, HugeForeignAndEmptyClipboards) {
  SDL_SetClipboardText(std::string(100000, 'q').c_str());
  std::string text;
  Type("\x16\r");
  Edit(text, 40, 2048);
  EXPECT_EQ(text, std::string(2048, 'q'));

  SDL_SetClipboardText(
      "a\xe2\x82\xac"
      "b\xe2\x9c\x93"
      "c\td");  // "a€b✓c<tab>d"
  Type("\x16\r");
  Edit(text = "");
  EXPECT_EQ(text,
            "a\x80"
            "b?c d");

  SDL_SetClipboardText("");
  text = "keep";
  Type("\x16\r");
  Edit(text);
  EXPECT_EQ(text, "keep");
}

TEST_F(EditorTest, SpeedChangeWithTwoRestartsSpeechEscapeChangesNothing) {
  char folder[] = "/tmp/mg-editor-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  setenv("XDG_CONFIG_HOME", folder, 1);
  Speech().programSoundDirectory = "c:\\som\\";
  // Enter comes later, as the user would press it: the speed change takes every key
  // already waiting.
  Extended(97);
  Type("2");
  test::PressLater(300, SDLK_RETURN);
  std::string text;
  Edit(text);
  EXPECT_EQ(Sounds(),
            (Strings{"rec:_VELOC", Ch('2'), "done", "init:2:c:\\som\\", "text:Velocidade 2"}));
  EXPECT_EQ(ReadUserState("VELOCIDADE"), "2");  // kept for the next run

  test::ClearSounds();
  Extended(97);
  Type("\x1b");
  test::PressLater(300, SDLK_RETURN);
  Edit(text);
  EXPECT_EQ(Sounds(), (Strings{"rec:_VELOC", Ch(27)}));
}

TEST_F(EditorTest, F12OpensTheAddressWithoutTheOpeningParenthesis) {
  std::vector<LinkCommand> seen;
  SetLinkLauncher([&](const LinkCommand& c) {
    seen.push_back(c);
    return true;
  });
  std::string text = "veja (www.exemplo.com.br)";
  Extended(116);  // Ctrl+Right to the address
  Extended(70);   // F12
  Type("\r");
  Edit(text);
  SetLinkLauncher({});
  ASSERT_EQ(seen.size(), 1u);
  const std::string browser = ReadLinkProgram();
  ASSERT_EQ(seen[0].argv.size(), 2u);
  EXPECT_EQ(seen[0].argv[0], browser.empty() ? "xdg-open" : ToLinuxPath(browser));
  EXPECT_EQ(seen[0].argv[1], "www.exemplo.com.br)");
  EXPECT_EQ(Sounds(), (Strings{"click"}));
  EXPECT_EQ(text, "veja (www.exemplo.com.br)");

  // Nothing left after stripping: the beep, nothing started.
  test::ClearSounds();
  text = "(((";
  Extended(70);
  Type("\r");
  Edit(text);
  EXPECT_EQ(Sounds(), (Strings{"beep"}));
}

TEST_F(EditorTest, WordMovesOverDigitsAndAccentedLetters) {
  std::string text = "abc123 a\xe7\xe3o";  // "abc123 ação"
  for (int i = 0; i < 3; ++i) {
    Extended(116);
    Type("\x0b");
  }
  Extended(115);
  Type("\x0b");
  Extended(115);
  Type("\x0b\r");
  Edit(text);
  EXPECT_EQ(Sounds(), (Strings{"click", "text:4", "click", "text:8", "beep", "text:12", "click",
                               "text:8", "click", "text:4"}));
}

TEST_F(EditorTest, CtrlBackspaceDeletesTheWordBeforeTheCursor) {
  std::string text = "um dois";
  Extended(79);  // End
  Type("\x7f\r");
  Edit(text);
  EXPECT_EQ(text, "um");
  EXPECT_EQ(Sounds(),
            (Strings{"click", "beep", "click", "rec:_DEL", Ch('d'), Ch('o'), Ch('i'), Ch('s')}));
}

TEST_F(EditorTest, FieldNarrowerThanTheTextScrolls) {
  std::string text(100, 'x');
  text[99] = 'Z';
  text[0] = 'A';
  Extended(79);  // End: the cursor after the 100th character
  Type("\x0b");
  std::string shown;
  test::OnSound([&](const std::string&) { shown = test::ScreenRow(5).substr(0, 12); });
  Type("\r");
  EXPECT_EQ(Edit(text, 10, 200), 13);
  EXPECT_EQ(shown, "xxxxxxxxxZ  ");  // positions 91-100, the rest of the row cleared
  EXPECT_EQ(test::ScreenRow(5).substr(0, 11), "Axxxxxxxxx ");
  EXPECT_EQ(text.size(), 100u);
}

TEST_F(EditorTest, EchoFlagF4AndThePhoneticSoundWithAlt) {
  std::string text = "ab";
  Extended(62);
  Type("x");
  Extended(62);
  PressKey(SDLK_RIGHT, KMOD_LALT);
  Type("\r");
  Edit(text);
  EXPECT_TRUE(Speech().echo);
  EXPECT_EQ(text, "xab");
  EXPECT_EQ(Sounds(), (Strings{"rec:_FALDLG", "rec:_FALACI", "rec:_FON97"}));
}

TEST_F(EditorTest, ScreenReviewOnlyWithAlt) {
  std::string text;
  PressKey(SDLK_F9, KMOD_LCTRL | KMOD_LSHIFT);  // what the console gives for Ctrl+Alt+F9
  Type("\x1b\r");
  EXPECT_EQ(Edit(text), 13);
  EXPECT_EQ(Sounds(), (Strings{"beep", "beep", "beep"}));

  Extended(102);  // Ctrl+F9 without Alt ends the input
  EXPECT_EQ(Edit(text), 102);
}

TEST_F(EditorTest, ControlKeysBlankRestoreAndCut) {
  std::string text = "abcdef";
  Extended(77);
  Extended(77);
  Type("\x04\r");  // Ctrl+D: from the cursor to the end
  Edit(text);
  EXPECT_EQ(text, "ab");

  text = "abcdef";
  Extended(77);
  Extended(77);
  Type("\x13\r");  // Ctrl+S: everything before the cursor
  Edit(text);
  EXPECT_EQ(text, "cdef");

  text = "abc";
  Type("zz\x15\r");  // Ctrl+U: back to the text at entry
  Edit(text);
  EXPECT_EQ(text, "abc");

  text = "abc";
  Type("\x19q\r");  // Ctrl+Y: blank, then type at 1
  Edit(text);
  EXPECT_EQ(text, "q");
  EXPECT_EQ(Sounds(), (Strings{Ch('a'), Ch('b'), "rec:_APFCPO", Ch('a'), Ch('b'), "rec:_APICPO",
                               Ch('z'), Ch('z'), "beep", "beep", "beep", "rec:_CPOAPA", Ch('q')}));
}

TEST_F(EditorTest, ReadNextWordAndServices) {
  std::string text = "CBF 12 casa";
  Extended(59);
  Extended(59);
  Extended(59);
  Extended(59);  // end of text: beep
  Extended(66);
  Extended(101);
  Extended(94);
  Type("\r");
  Edit(text);
  EXPECT_EQ(Sounds(), (Strings{"spell:CBF", "text:12", "text:casa", "beep", "time", "date",
                               "text:CBF 12 casa"}));
}

TEST_F(EditorTest, ReadIntegerSpoken) {
  int value = 7;
  Type(" 42 \r");
  ReadIntegerSpoken(value);
  EXPECT_EQ(value, 42);
  Type("\r");
  ReadIntegerSpoken(value);
  EXPECT_EQ(value, 42);  // an empty answer leaves it
  Type("-12abc\r");
  ReadIntegerSpoken(value);
  EXPECT_EQ(value, -12);
  Type("abc\r");
  ReadIntegerSpoken(value);
  EXPECT_EQ(value, 0);
  Type("99999999999\r");
  ReadIntegerSpoken(value);
  EXPECT_EQ(value, INT_MAX);
}

TEST_F(EditorTest, LastRowFieldNeverScrollsTheScreen) {
  test::WriteAt(1, 1, "top");
  std::string text(90, 'w');
  Extended(79);
  Type("\r");
  EXPECT_EQ(EditLineSpoken(text, 1, 25, 80, 100), 13);
  EXPECT_EQ(test::ScreenRow(1).substr(0, 3), "top");
  EXPECT_EQ(test::ScreenRow(25).substr(0, 79), std::string(79, 'w'));
  EXPECT_EQ(ScreenCharAt(80, 25), ' ');
}

}  // namespace
}  // namespace mg
