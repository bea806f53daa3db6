#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/keybuffer.h"
#include "console/keydecode.h"
#include "console/lineread.h"

namespace mg {
namespace {

std::vector<int> Drain(KeyBuffer& buffer) {
  std::vector<int> codes;
  uint8_t code;
  KeyMods mods;
  while (buffer.Pop(code, mods)) codes.push_back(code);
  return codes;
}

KeyEvent K(Key key, bool ctrl = false, bool alt = false, bool shift = false) {
  return KeyEvent{key, 0, ctrl, alt, shift};
}
KeyEvent Letter(char ch, bool ctrl = false, bool alt = false) {
  return KeyEvent{Key::Letter, ch, ctrl, alt, false};
}

TEST(KeyBufferTest, The65thCodeIsLostAndAFunctionKeyNeedsTwoPlaces) {
  KeyBuffer buffer;
  for (int i = 0; i < 63; ++i) ASSERT_TRUE(buffer.Push(static_cast<uint8_t>('a' + i % 26)));
  EXPECT_FALSE(buffer.PushExtended(59));  // one place left: both codes dropped
  EXPECT_EQ(buffer.count(), 63);
  EXPECT_TRUE(buffer.Push('z'));
  EXPECT_FALSE(buffer.Push('!'));
  EXPECT_EQ(buffer.count(), 64);
  std::vector<int> codes = Drain(buffer);
  EXPECT_EQ(codes.front(), 'a');
  EXPECT_EQ(codes.back(), 'z');
}

TEST(KeyBufferTest, CodesKeepTheirModifiersInOrder) {
  KeyBuffer buffer;
  buffer.Push('a', {true, false});
  buffer.PushExtended(102, {false, true});
  uint8_t code;
  KeyMods mods;
  ASSERT_TRUE(buffer.Pop(code, mods));
  EXPECT_EQ(code, 'a');
  EXPECT_TRUE(mods.shift);
  ASSERT_TRUE(buffer.Pop(code, mods));
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(mods.alt);
  ASSERT_TRUE(buffer.Pop(code, mods));
  EXPECT_EQ(code, 102);
  EXPECT_FALSE(buffer.Pop(code, mods));
}

TEST(KeyTableTest, NormalAndCtrlNumbers) {
  EXPECT_EQ(ExtendedNumber(Key::F1, false, false), 59);
  EXPECT_EQ(ExtendedNumber(Key::F10, false, false), 68);
  EXPECT_EQ(ExtendedNumber(Key::F11, false, false), 69);
  EXPECT_EQ(ExtendedNumber(Key::F12, false, false), 70);
  EXPECT_EQ(ExtendedNumber(Key::F1, true, false), 94);
  EXPECT_EQ(ExtendedNumber(Key::F9, true, false), 102);
  EXPECT_EQ(ExtendedNumber(Key::F11, true, false), 104);
  EXPECT_EQ(ExtendedNumber(Key::F12, true, false), 105);
  EXPECT_EQ(ExtendedNumber(Key::Insert, false, false), 82);
  EXPECT_EQ(ExtendedNumber(Key::Insert, false, true), 254);
  EXPECT_EQ(ExtendedNumber(Key::Insert, true, false), 255);
  EXPECT_EQ(ExtendedNumber(Key::Delete, true, false), 83);
  const Key keys[] = {Key::Home, Key::End,  Key::PageUp, Key::PageDown,
                      Key::Up,   Key::Down, Key::Left,   Key::Right};
  const int normal[] = {71, 79, 73, 81, 72, 80, 75, 77};
  const int ctrl[] = {119, 117, 132, 118, 113, 114, 115, 116};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(ExtendedNumber(keys[i], false, false), normal[i]) << i;
    EXPECT_EQ(ExtendedNumber(keys[i], true, false), ctrl[i]) << i;
  }
  EXPECT_EQ(ExtendedNumber(Key::Escape, false, false), 0);
}

TEST(KeyTableTest, AltNumbers) {
  EXPECT_EQ(AltNumber('a'), 30);
  EXPECT_EQ(AltNumber('Q'), 16);
  EXPECT_EQ(AltNumber('w'), 17);
  EXPECT_EQ(AltNumber('e'), 18);
  EXPECT_EQ(AltNumber('m'), 50);
  EXPECT_EQ(AltNumber('z'), 44);
  EXPECT_EQ(AltNumber('1'), 120);
  EXPECT_EQ(AltNumber('9'), 128);
  EXPECT_EQ(AltNumber('0'), 129);
  EXPECT_EQ(AltNumber('-'), 0);
}

class DecoderTest : public ::testing::Test {
 protected:
  KeyBuffer buffer;
  KeyDecoder decoder{buffer};
};

TEST_F(DecoderTest, FunctionAndCursorKeysGiveTwoCodes) {
  decoder.KeyDown(K(Key::F1));
  decoder.KeyDown(K(Key::Left, true));
  decoder.KeyDown(K(Key::Insert, false, false, true));
  EXPECT_EQ(Drain(buffer), (std::vector<int>{0, 59, 0, 115, 0, 254}));
}

TEST_F(DecoderTest, CharacterKeysTheWindowSystemDoesNotType) {
  decoder.KeyDown(K(Key::Backspace));
  decoder.KeyDown(K(Key::Backspace, true));
  decoder.KeyDown(K(Key::Enter));
  decoder.KeyDown(K(Key::Enter, true));
  decoder.KeyDown(K(Key::Escape));
  decoder.KeyDown(K(Key::Tab));
  decoder.KeyDown(Letter('v', true));
  decoder.KeyDown(KeyEvent{Key::Bracket, '\\', true, false, false});
  EXPECT_EQ(Drain(buffer), (std::vector<int>{8, 127, 13, 10, 27, 9, 22, 28}));
}

TEST_F(DecoderTest, TextGivesItsOwnCodeUnlessCtrlOrAltTypedIt) {
  decoder.KeyDown(Letter('a'));  // the letter itself comes as text
  decoder.Text('a', Letter('a'));
  decoder.Text(0xE7, K(Key::Other));
  decoder.Text('x', Letter('x', true));
  decoder.Text('y', Letter('y', false, true));
  EXPECT_EQ(Drain(buffer), (std::vector<int>{'a', 0xE7}));
}

TEST_F(DecoderTest, CtrlAltLettersAndDigitsGiveAltNumbers) {
  decoder.KeyDown(Letter('q', true, true));
  decoder.KeyDown(KeyEvent{Key::Digit, '0', true, true, false});
  EXPECT_EQ(Drain(buffer), (std::vector<int>{0, 16, 0, 129}));
}

TEST_F(DecoderTest, AltWithoutCtrlIsTheSystemsExceptLeftRightAndF4) {
  EXPECT_EQ(decoder.KeyDown(Letter('a', false, true)), KeyDecoder::Outcome::None);
  decoder.KeyDown(K(Key::F9, false, true));
  decoder.KeyDown(K(Key::Left, false, true));
  decoder.KeyDown(K(Key::Right, false, true));
  EXPECT_EQ(decoder.KeyDown(K(Key::F4, false, true)), KeyDecoder::Outcome::CloseWindow);
  uint8_t code;
  KeyMods mods;
  ASSERT_TRUE(buffer.Pop(code, mods));
  EXPECT_TRUE(mods.alt);
  EXPECT_EQ(Drain(buffer), (std::vector<int>{75, 0, 77}));
}

TEST_F(DecoderTest, F10AloneGivesNothingCtrlF10Does) {
  decoder.KeyDown(K(Key::F10));
  decoder.KeyDown(K(Key::F10, false, false, true));
  decoder.KeyDown(K(Key::F10, true));
  EXPECT_EQ(Drain(buffer), (std::vector<int>{0, 103}));
}

TEST_F(DecoderTest, CtrlAltF9AndItsStandInCtrlShiftF9) {
  decoder.KeyDown(K(Key::F9, true, true));
  decoder.KeyDown(K(Key::F9, true, false, true));
  uint8_t code;
  KeyMods mods;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(buffer.Pop(code, mods));
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(buffer.Pop(code, mods));
    EXPECT_EQ(code, 102);
    EXPECT_TRUE(mods.alt);
    EXPECT_FALSE(mods.shift);
  }
}

TEST_F(DecoderTest, CtrlBreakEndsTheProgram) {
  EXPECT_EQ(decoder.KeyDown(K(Key::Break, true)), KeyDecoder::Outcome::EndProgram);
  EXPECT_EQ(decoder.KeyDown(K(Key::Break)), KeyDecoder::Outcome::None);
}

TEST_F(DecoderTest, BrailleModeSwitchingAndItsSignals) {
  EXPECT_EQ(decoder.KeyDown(K(Key::F11, true, true)), KeyDecoder::Outcome::ModeChanged);
  EXPECT_EQ(decoder.mode(), 1);
  EXPECT_EQ(decoder.TakeSignal(), (std::vector<uint16_t>{800, 1600}));
  decoder.KeyDown(K(Key::F11, true, false, true));  // Ctrl+Shift stands in for Ctrl+Alt
  EXPECT_EQ(decoder.mode(), 2);
  EXPECT_EQ(decoder.TakeSignal(), (std::vector<uint16_t>{800, 400}));
  decoder.KeyDown(K(Key::F11, true, true));
  EXPECT_EQ(decoder.mode(), 1);
  decoder.TakeSignal();
  decoder.KeyDown(K(Key::F12, true, true));
  EXPECT_EQ(decoder.mode(), 0);
  EXPECT_EQ(decoder.TakeSignal(), (std::vector<uint16_t>{100}));
  decoder.KeyDown(K(Key::F12, true, true));
  EXPECT_TRUE(decoder.TakeSignal().empty());
  EXPECT_EQ(buffer.count(), 0);
}

class BrailleTest : public DecoderTest {
 protected:
  void Chord(const std::string& keys) {
    for (char k : keys) decoder.KeyDown(KeyOf(k));
    for (char k : keys) decoder.KeyUp(KeyOf(k));
  }
  static KeyEvent KeyOf(char k) { return k == ' ' ? K(Key::Space) : Letter(k); }
  // Dot numbers to chord keys.
  static std::string Dots(const std::string& dots) {
    static const char keys[] = "fdsjkl";
    std::string out;
    for (char d : dots) out += keys[d - '1'];
    return out;
  }
};

TEST_F(BrailleTest, ChordsInPlainMode) {
  decoder.SetMode(1);
  Chord("fd");
  Chord(" f");
  Chord(" ");
  Chord(Dots("1246"));  // dots 1, 2, 4, 6: cell 43
  EXPECT_EQ(Drain(buffer), (std::vector<int>{'b', 1, ' ', 0xE0}));
}

TEST_F(BrailleTest, ChordCompletesOnlyWhenTheLastKeyIsReleased) {
  decoder.SetMode(1);
  decoder.KeyDown(Letter('f'));
  decoder.KeyDown(Letter('d'));
  decoder.KeyUp(Letter('f'));
  EXPECT_EQ(buffer.count(), 0);
  decoder.KeyDown(Letter('s'));
  decoder.KeyUp(Letter('d'));
  decoder.KeyUp(Letter('s'));
  EXPECT_EQ(Drain(buffer), (std::vector<int>{'l'}));  // dots 1, 2, 3
}

TEST_F(BrailleTest, LettersAndBlankTypedAsTextAreIgnored) {
  decoder.SetMode(1);
  decoder.Text('f', Letter('f'));
  decoder.Text(' ', K(Key::Space));
  decoder.Text('5', K(Key::Other));
  EXPECT_EQ(Drain(buffer), (std::vector<int>{'5'}));
}

TEST_F(BrailleTest, ReleasingANonChordLetterGivesABlank) {
  decoder.SetMode(1);
  decoder.KeyDown(Letter('a'));
  decoder.KeyUp(Letter('a'));
  EXPECT_EQ(Drain(buffer), (std::vector<int>{' '}));
}

TEST_F(BrailleTest, CtrlKeepsChordKeysOrdinary) {
  decoder.SetMode(1);
  decoder.KeyDown(Letter('f', true));
  decoder.KeyUp(Letter('f', true));
  EXPECT_EQ(Drain(buffer), (std::vector<int>{6}));
}

TEST_F(BrailleTest, SpaceWithACellWhoseControlCodeIsZeroGivesNothing) {
  decoder.SetMode(1);
  Chord(" " + Dots("1246"));  // 0xE0 & 31 == 0
  EXPECT_EQ(buffer.count(), 0);
}

TEST_F(BrailleTest, ModeTwoNumberSign) {
  decoder.SetMode(2);
  Chord(Dots("3456"));  // #
  Chord(Dots("1"));
  Chord(Dots("12"));
  Chord(Dots("245"));  // j
  EXPECT_EQ(Drain(buffer), (std::vector<int>{'1', '2', '0'}));
  Chord(Dots("5"));  // ~ leaves number mode and is delivered
  Chord(Dots("1"));
  EXPECT_EQ(Drain(buffer), (std::vector<int>{'~', 'a'}));
}

TEST_F(BrailleTest, ModeTwoCapitalSignAndLock) {
  decoder.SetMode(2);
  Chord(Dots("46"));  // {
  Chord(Dots("1"));
  Chord(Dots("12"));
  EXPECT_EQ(Drain(buffer), (std::vector<int>{'A', 'b'}));
  Chord(Dots("46"));
  Chord(Dots("46"));
  Chord(Dots("1"));
  Chord(Dots("12"));
  EXPECT_TRUE(decoder.signs().capitals_locked());
  Chord(" ");  // a space chord clears the lock
  Chord(Dots("1"));
  EXPECT_EQ(Drain(buffer), (std::vector<int>{'A', 'B', ' ', 'a'}));
}

TEST_F(BrailleTest, ANonLetterKeyReleaseClearsTheSignStates) {
  decoder.SetMode(2);
  Chord(Dots("46"));
  Chord(Dots("46"));
  decoder.KeyDown(K(Key::Enter));
  decoder.KeyUp(K(Key::Enter));
  Chord(Dots("1"));
  EXPECT_EQ(Drain(buffer), (std::vector<int>{13, 'a'}));
}

TEST_F(BrailleTest, ModeTwoApostropheAndAt) {
  decoder.SetMode(2);
  Chord(Dots("3"));    // apostrophe -> full stop
  Chord(Dots("156"));  // u-circumflex -> @
  EXPECT_EQ(Drain(buffer), (std::vector<int>{'.', '@'}));
}

TEST_F(BrailleTest, ChordResultIsDroppedWhenTheBufferIsFull) {
  decoder.SetMode(1);
  for (int i = 0; i < 64; ++i) buffer.Push('x');
  Chord("f");
  EXPECT_EQ(buffer.count(), 64);
}

TEST(BrailleCellTest, TableSpotChecks) {
  EXPECT_EQ(BrailleCellChar(0), ' ');
  EXPECT_EQ(BrailleCellChar(12), 0xED);
  EXPECT_EQ(BrailleCellChar(47), 0xE7);
  EXPECT_EQ(BrailleCellChar(60), '#');
  EXPECT_EQ(BrailleCellChar(63), 0xE9);
}

TEST_F(DecoderTest, MouseButtonsAndWheel) {
  decoder.MouseButton(1, {});
  decoder.MouseButton(3, {});
  decoder.MouseButton(2, {});
  decoder.Wheel(1, {});
  decoder.Wheel(-2, {});
  decoder.Wheel(0, {});
  EXPECT_EQ(Drain(buffer), (std::vector<int>{13, 27, 0, 67, 0, 72, 0, 80}));
}

TEST_F(DecoderTest, TheClickThatFocusesTheWindowGivesNoCode) {
  decoder.FocusGained(true);
  decoder.MouseButton(1, {});
  decoder.MouseButton(1, {});
  decoder.FocusGained(true);
  decoder.FocusLost();
  decoder.Wheel(1, {});
  EXPECT_EQ(Drain(buffer), (std::vector<int>{13, 0, 72}));
}

// Line input over a scripted key source.
struct LineInput {
  explicit LineInput(std::vector<int> keys) : keys(std::move(keys)) {}
  int Read(char* buffer, int size) {
    return ReadLineFrom(
        buffer, size, [this] { return static_cast<uint8_t>(keys.at(next++)); },
        [this](const char* s, uint16_t n) { echo.append(s, n); });
  }
  std::vector<int> keys;
  size_t next = 0;
  std::string echo;
};

TEST(LineReadTest, EchoesAndEndsWithCrLf) {
  LineInput in({'a', 'b', 8, 'c', 13});
  char buffer[128];
  const int n = in.Read(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, n), "ac\r\n");
  EXPECT_EQ(in.echo, "ab\bc\r\n");
}

TEST(LineReadTest, BackspaceOnAnEmptyLineDoesNothing) {
  LineInput in({8, 8, 'x', 13});
  char buffer[16];
  EXPECT_EQ(std::string(buffer, in.Read(buffer, sizeof buffer)), "x\r\n");
  EXPECT_EQ(in.echo, "x\r\n");
}

TEST(LineReadTest, F1DuringLineInputInsertsASemicolon) {
  KeyBuffer keys;
  KeyDecoder decoder(keys);
  decoder.KeyDown(K(Key::F1));
  decoder.KeyDown(K(Key::Up));         // 72 is 'H'
  decoder.KeyDown(K(Key::F12, true));  // 105 is 'i'
  decoder.KeyDown(K(Key::Enter));
  std::vector<int> codes = Drain(keys);
  LineInput in(codes);
  char buffer[128];
  EXPECT_EQ(std::string(buffer, in.Read(buffer, sizeof buffer)), ";Hi\r\n");
}

TEST(LineReadTest, KeepsSizeMinusTwoCharacters) {
  std::vector<int> keys(130, 'k');
  keys.push_back(13);
  LineInput in(keys);
  char buffer[10];
  EXPECT_EQ(in.Read(buffer, sizeof buffer), 10);
  EXPECT_EQ(std::string(buffer, 10), "kkkkkkkk\r\n");
  EXPECT_EQ(in.echo, "kkkkkkkk\r\n");
}

TEST(LineReadTest, TinyBuffersNeverOverflow) {
  char buffer[2] = {'#', '#'};
  LineInput one({'a', 13});
  EXPECT_EQ(one.Read(buffer, 1), 1);
  EXPECT_EQ(buffer[0], '\r');
  EXPECT_EQ(buffer[1], '#');
  LineInput none({'a', 13});
  EXPECT_EQ(none.Read(nullptr, 0), 0);
}

}  // namespace
}  // namespace mg
