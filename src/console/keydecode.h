// Turning keyboard, mouse and braille-keyboard events into console key codes. Plain
// state over plain events: the window backend translates its own events into these.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "console/keybuffer.h"

namespace mg {

enum class Key : uint8_t {
  Other,
  F1,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  F9,
  F10,
  F11,
  F12,
  Insert,
  Delete,
  Home,
  End,
  PageUp,
  PageDown,
  Up,
  Down,
  Left,
  Right,
  Backspace,
  Enter,
  Escape,
  Tab,
  Space,
  Break,
  Letter,   // `ch` is 'a'-'z'
  Digit,    // `ch` is '0'-'9'
  Bracket,  // `ch` is '[', '\\' or ']' (Ctrl gives 27, 28, 29)
};

struct KeyEvent {
  Key key = Key::Other;
  char ch = 0;
  bool ctrl = false;
  bool alt = false;  // Alt itself, not AltGr
  bool shift = false;
};

// Code that means "no character" in the braille tables.
constexpr uint8_t kNoChar = 254;

// 0 and this number for a key of the extended table; 0 when the key has none.
uint8_t ExtendedNumber(Key key, bool ctrl, bool shift);
// Alt number of a letter ('a'-'z', either case) or digit; 0 for anything else.
uint8_t AltNumber(char ch);
// cp1252 character of a braille cell (dot pattern 0-63).
uint8_t BrailleCellChar(int dots);

// The sign states of braille keyboard mode 2 (capital sign, capitals lock, number sign).
class BrailleSigns {
 public:
  // The character to deliver for a chord's character, or kNoChar.
  uint8_t Apply(uint8_t ch);
  void Clear() { capitalPending_ = capitalsLocked_ = numberMode_ = false; }
  bool capital_pending() const { return capitalPending_; }
  bool capitals_locked() const { return capitalsLocked_; }
  bool number_mode() const { return numberMode_; }

 private:
  bool capitalPending_ = false;
  bool capitalsLocked_ = false;
  bool numberMode_ = false;
};

// The tones (Hz, 200 ms each) that announce a change of braille keyboard mode.
std::vector<uint16_t> BrailleModeSignal(int oldMode, int newMode);

class KeyDecoder {
 public:
  enum class Outcome {
    None,
    EndProgram,   // Ctrl+Break
    CloseWindow,  // Alt+F4
    ModeChanged,  // braille keyboard mode switched; see mode() and BrailleModeSignal
  };

  explicit KeyDecoder(KeyBuffer& buffer) : buffer_(buffer) {}

  // 0 off, 1 plain, 2 with braille signs. Setting it clears the chord and the signs.
  int mode() const { return mode_; }
  void SetMode(int mode);

  // A key went down. Keys that the window system does not turn into characters
  // (Backspace, Enter, Escape, Tab, Ctrl+letter) give their character here.
  Outcome KeyDown(const KeyEvent& event);
  void KeyUp(const KeyEvent& event);
  // A character typed (cp1252); `mods` are those of the key that typed it.
  void Text(uint8_t ch, const KeyEvent& mods);

  // Mouse: button 1 left, 2 middle, 3 right; wheel > 0 away from the user.
  void MouseButton(int button, KeyMods mods);
  void Wheel(int amount, KeyMods mods);
  void FocusGained(bool buttonHeld) { focusClick_ = buttonHeld; }
  void FocusLost() { focusClick_ = false; }

  // The tones to sound after Outcome::ModeChanged (empty: none).
  std::vector<uint16_t> TakeSignal() { return std::move(signal_); }

  int chord() const { return chord_; }
  const BrailleSigns& signs() const { return signs_; }

 private:
  void CompleteChord();
  static int ChordBit(const KeyEvent& event);

  KeyBuffer& buffer_;
  int mode_ = 0;
  int chord_ = 0;  // dots since the chord began, 0x40 = space
  int held_ = 0;   // chord keys still held
  BrailleSigns signs_;
  bool focusClick_ = false;
  std::vector<uint16_t> signal_;
};

}  // namespace mg
