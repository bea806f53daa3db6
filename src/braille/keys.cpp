#include "braille/keys.h"

#include <brlapi_constants.h>
#include <brlapi_keycodes.h>

#include <cstdint>

#include "console/keydecode.h"

namespace mg {
namespace {

constexpr uint32_t kDot7 = 64, kDot8 = 128, kHomeKey = 256, kEndKey = 512, kSpace = 0x8000;

// Keys pressed together and released: the bits of the state in the value's high part.
std::vector<DisplayEvent> Chord(uint32_t state) {
  return {{1, static_cast<intptr_t>(state) << 8}, {1, 3}};
}

}  // namespace

std::vector<DisplayEvent> EventsOfBrlapiKey(uint64_t code) {
  const uint64_t type = code & BRLAPI_KEY_TYPE_MASK;
  const uint64_t value = code & BRLAPI_KEY_CODE_MASK;
  if (type == BRLAPI_KEY_TYPE_CMD) {
    if ((value & BRLAPI_KEY_CMD_BLK_MASK) == BRLAPI_KEY_CMD_PASSDOTS) {
      // Dots 1-8 keep their bits; the space bar is the chord flag. Space alone comes
      // as no dots at all.
      const uint32_t arg = static_cast<uint32_t>(value & BRLAPI_KEY_CMD_ARG_MASK);
      uint32_t state = arg & 0xFF;
      if ((arg & BRLAPI_DOTC) != 0 || state == 0) state |= kSpace;
      return Chord(state);
    }
    switch (value) {
      case BRLAPI_KEY_CMD_LNUP:
        return {{3, 16}};
      case BRLAPI_KEY_CMD_LNDN:
        return {{3, 32}};
      case BRLAPI_KEY_CMD_TOP:
      case BRLAPI_KEY_CMD_TOP_LEFT:
        return Chord(kHomeKey);
      case BRLAPI_KEY_CMD_BOT:
      case BRLAPI_KEY_CMD_BOT_LEFT:
        return Chord(kEndKey);
      default:
        return {};
    }
  }
  if (type != BRLAPI_KEY_TYPE_SYM) return {};
  switch (value) {
    case BRLAPI_KEY_SYM_LINEFEED:
      return Chord(kDot8);
    case BRLAPI_KEY_SYM_BACKSPACE:
      return Chord(kDot7);
    case BRLAPI_KEY_SYM_ESCAPE:
      return Chord(kDot7 | kDot8);
    case BRLAPI_KEY_SYM_HOME:
      return Chord(kHomeKey);
    case BRLAPI_KEY_SYM_END:
      return Chord(kEndKey);
    case BRLAPI_KEY_SYM_UP:
      return {{3, 16}};
    case BRLAPI_KEY_SYM_DOWN:
      return {{3, 32}};
    default:
      return {};
  }
}

void DisplayKeys::Translate(intptr_t type, intptr_t value, uint8_t& character, uint8_t& extended) {
  character = extended = 0;
  if (type != 1 && type != 3) {
    character = '?';
    return;
  }
  if (type == 3) {
    if (value == 16 || value == 64) extended = 72;
    if (value == 32 || value == 128) extended = 80;
    return;
  }
  if (value == 261 || value == 6405) {
    extended = 72;
  } else if (value == 2309 || value == 4357) {
    extended = 80;
  } else if (value == 3) {
    Decode(character, extended);
    state_ = 0;
  } else if (value >= 256) {
    state_ |= static_cast<uint32_t>(value / 256);
  }
}

void DisplayKeys::Decode(uint8_t& character, uint8_t& extended) const {
  const uint32_t s = state_;
  const uint32_t dots = s & 63;
  // The cell characters, except that dot 3 is a full stop and dots 1-5-6 are "@".
  auto cell = [](uint32_t d) -> uint8_t {
    if (d == 4) return '.';
    if (d == 49) return '@';
    return BrailleCellChar(static_cast<int>(d));
  };
  if (s == 0) return;
  if (s == kDot7) {
    character = 8;
  } else if (s == kDot8) {
    character = 13;
  } else if (s == (kDot7 | kDot8)) {
    character = 27;
  } else if (s == kSpace) {
    character = ' ';
  } else if ((s & kHomeKey) != 0) {
    extended = 71;
  } else if ((s & kEndKey) != 0) {
    extended = 79;
  } else if ((s & ~(kSpace | 63u)) == 0 && (s & kSpace) != 0) {
    character = static_cast<uint8_t>(cell(dots) & 31);
  } else if ((s & ~63u) == 0) {
    character = cell(dots);
  }
}

}  // namespace mg
