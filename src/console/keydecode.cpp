#include "console/keydecode.h"

namespace mg {
namespace {

bool IsFunctionKey(Key key) { return key >= Key::F1 && key <= Key::F12; }

// Braille cells by dot pattern (bit 0 = dot 1 ... bit 5 = dot 6), cp1252.
constexpr uint8_t kCells[64] = {
    ' ',  'a',  ',',  'b',  '\'', 'k', ';', 'l',  '^',  'c',  'i',  'f',  0xED, 'm', 's',  'p',
    '~',  'e',  ':',  'h',  '*',  'o', '!', 'r',  0xAC, 'd',  'j',  'g',  0xE3, 'n', 't',  'q',
    0xFD, 0xE2, '?',  0xEA, '-',  'u', '"', 'v',  '{',  0xEE, 0xF5, 0xE0, 0xF3, 'x', 0xE8, 0xE7,
    '$',  0xFB, 0xFF, 0xFC, '}',  'z', '=', 0xE1, '_',  0xF4, 'w',  0xEF, '#',  'y', 0xFA, 0xE9};

constexpr uint8_t kAltLetters[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                     49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

}  // namespace

uint8_t ExtendedNumber(Key key, bool ctrl, bool shift) {
  if (IsFunctionKey(key)) {
    const int i = static_cast<int>(key) - static_cast<int>(Key::F1);
    if (i < 10) return static_cast<uint8_t>((ctrl ? 94 : 59) + i);
    return static_cast<uint8_t>((ctrl ? 104 : 69) + (i - 10));
  }
  switch (key) {
    case Key::Insert:
      return ctrl ? 255 : (shift ? 254 : 82);
    case Key::Delete:
      return 83;
    case Key::Home:
      return ctrl ? 119 : 71;
    case Key::End:
      return ctrl ? 117 : 79;
    case Key::PageUp:
      return ctrl ? 132 : 73;
    case Key::PageDown:
      return ctrl ? 118 : 81;
    case Key::Up:
      return ctrl ? 113 : 72;
    case Key::Down:
      return ctrl ? 114 : 80;
    case Key::Left:
      return ctrl ? 115 : 75;
    case Key::Right:
      return ctrl ? 116 : 77;
    default:
      return 0;
  }
}

uint8_t AltNumber(char ch) {
  if (ch >= 'a' && ch <= 'z') return kAltLetters[ch - 'a'];
  if (ch >= 'A' && ch <= 'Z') return kAltLetters[ch - 'A'];
  if (ch >= '1' && ch <= '9') return static_cast<uint8_t>(120 + (ch - '1'));
  if (ch == '0') return 129;
  return 0;
}

uint8_t BrailleCellChar(int dots) { return kCells[dots & 63]; }

uint8_t BrailleSigns::Apply(uint8_t ch) {
  if (ch == '\'') {
    ch = '.';
  } else if (ch == 0xFB) {
    ch = '@';
  }
  if (numberMode_) {
    if (ch >= 'a' && ch <= 'i') {
      ch = static_cast<uint8_t>('1' + (ch - 'a'));
    } else if (ch == 'j') {
      ch = '0';
    } else if (ch == '~') {
      numberMode_ = false;
    }
  }
  if ((capitalPending_ || capitalsLocked_) && ch >= 'a' && ch <= 'z') ch = ch - 'a' + 'A';
  if (ch == '#') {
    numberMode_ = true;
    return kNoChar;
  }
  if (ch == '{') {
    if (capitalPending_) capitalsLocked_ = true;
    capitalPending_ = true;
    return kNoChar;
  }
  capitalPending_ = false;
  return ch;
}

std::vector<uint16_t> BrailleModeSignal(int oldMode, int newMode) {
  switch (newMode) {
    case 0:
      return oldMode != 0 ? std::vector<uint16_t>{100} : std::vector<uint16_t>{};
    case 1:
      return {800, 1600};
    case 2:
      return {800, 400};
    default:
      return {};
  }
}

void KeyDecoder::SetMode(int mode) {
  mode_ = mode;
  chord_ = 0;
  held_ = 0;
  signs_.Clear();
}

int KeyDecoder::ChordBit(const KeyEvent& event) {
  if (event.key == Key::Space) return 0x40;
  if (event.key != Key::Letter) return 0;
  switch (event.ch) {
    case 'f':
      return 1;
    case 'd':
      return 2;
    case 's':
      return 4;
    case 'j':
      return 8;
    case 'k':
      return 16;
    case 'l':
      return 32;
    default:
      return 0;
  }
}

KeyDecoder::Outcome KeyDecoder::KeyDown(const KeyEvent& in) {
  KeyEvent e = in;
  // X11 keeps Ctrl+Alt+F1..F12 for switching consoles; Ctrl+Shift+Fn stands in for it.
  if (e.ctrl && e.shift && !e.alt && IsFunctionKey(e.key)) {
    e.alt = true;
    e.shift = false;
  }
  const KeyMods mods{e.shift, e.alt};

  // Alt without Ctrl, and F10, are the window system's own keys: Alt+F4 closes the
  // window; only Alt+Left and Alt+Right are decoded.
  if (e.alt && !e.ctrl) {
    if (e.key == Key::F4) return Outcome::CloseWindow;
    if (e.key != Key::Left && e.key != Key::Right) return Outcome::None;
  } else if (e.key == Key::F10 && !e.ctrl) {
    return Outcome::None;
  }

  if (e.ctrl && e.key == Key::Break) return Outcome::EndProgram;

  if (e.alt && e.ctrl) {
    if (e.key == Key::F12) {
      signal_ = BrailleModeSignal(mode_, 0);
      SetMode(0);
      return Outcome::ModeChanged;
    }
    if (e.key == Key::F11) {
      const int next = mode_ == 1 ? 2 : 1;
      signal_ = BrailleModeSignal(mode_, next);
      SetMode(next);
      return Outcome::ModeChanged;
    }
    if (e.key == Key::Letter || e.key == Key::Digit) {
      buffer_.PushExtended(AltNumber(e.ch), mods);
      return Outcome::None;
    }
  }

  if (mode_ != 0 && !e.ctrl) {
    if (const int bit = ChordBit(e)) {
      chord_ |= bit;
      held_ |= bit;
      return Outcome::None;
    }
  }

  switch (e.key) {
    case Key::Backspace:
      buffer_.Push(e.ctrl ? 127 : 8, mods);
      return Outcome::None;
    case Key::Enter:
      buffer_.Push(e.ctrl ? 10 : 13, mods);
      return Outcome::None;
    case Key::Escape:
      buffer_.Push(27, mods);
      return Outcome::None;
    case Key::Tab:
      buffer_.Push(9, mods);
      return Outcome::None;
    case Key::Letter:
      if (e.ctrl && !e.alt) buffer_.Push(static_cast<uint8_t>(e.ch - 'a' + 1), mods);
      return Outcome::None;
    case Key::Bracket:
      if (e.ctrl && !e.alt) {
        buffer_.Push(e.ch == '[' ? 27 : (e.ch == '\\' ? 28 : 29), mods);
      }
      return Outcome::None;
    default:
      break;
  }
  if (const uint8_t number = ExtendedNumber(e.key, e.ctrl, e.shift)) {
    buffer_.PushExtended(number, mods);
  }
  return Outcome::None;
}

void KeyDecoder::KeyUp(const KeyEvent& e) {
  if (mode_ == 0) return;
  if (e.ctrl || (e.key != Key::Space && e.key != Key::Letter)) {
    signs_.Clear();
    return;
  }
  if (e.alt) return;  // a system key; it never began a chord
  held_ &= ~ChordBit(e);
  if (held_ == 0) CompleteChord();
}

void KeyDecoder::CompleteChord() {
  uint8_t out;
  if (chord_ & 0x40) {
    const int dots = chord_ & 63;
    out = dots == 0 ? ' ' : static_cast<uint8_t>(BrailleCellChar(dots) & 31);
    signs_.Clear();
  } else {
    out = BrailleCellChar(chord_);
    if (mode_ == 2) out = signs_.Apply(out);
  }
  chord_ = 0;
  // A lone 0 would announce an extended key and swallow the next code; cells whose
  // control code comes out as 0 give nothing.
  if (out != kNoChar && out != 0) buffer_.Push(out);
}

void KeyDecoder::Text(uint8_t ch, const KeyEvent& mods) {
  // Characters typed with Ctrl or Alt (not AltGr) are the keys' business, not text.
  if (mods.ctrl || mods.alt) return;
  if (ch < 32 || ch == 127) return;
  if (mode_ != 0 && (ch == ' ' || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'))) {
    return;
  }
  buffer_.Push(ch, KeyMods{mods.shift, false});
}

void KeyDecoder::MouseButton(int button, KeyMods mods) {
  if (focusClick_) {
    focusClick_ = false;
    return;
  }
  switch (button) {
    case 1:
      buffer_.Push(13, mods);
      break;
    case 2:
      buffer_.PushExtended(67, mods);
      break;
    case 3:
      buffer_.Push(27, mods);
      break;
    default:
      break;
  }
}

void KeyDecoder::Wheel(int amount, KeyMods mods) {
  if (focusClick_) {
    focusClick_ = false;
    return;
  }
  if (amount > 0) {
    buffer_.PushExtended(72, mods);
  } else if (amount < 0) {
    buffer_.PushExtended(80, mods);
  }
}

}  // namespace mg
