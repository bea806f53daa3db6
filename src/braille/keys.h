// The braille display's keys as console key codes. BrlAPI delivers commands and typed
// dots; each becomes one or two display events (type, value) in the numbering the
// suite's display layer has always used, posted as the registered message "snLinBrl";
// the key translator turns the events back into a character or an extended code.
// Plain code over plain data: no display needed.
#pragma once

#include <cstdint>
#include <vector>

namespace mg {

struct DisplayEvent {
  intptr_t type;  // 1 keys pressed or released, 3 navigation
  intptr_t value;
};

// Events for one BrlAPI key code (brlapi_keyCode_t, commands mode): line up and down,
// top and bottom (Home, End), typed dots with or without the space bar, and the keys
// Return, BackSpace, Escape, Home, End, Up, Down. Other codes give none.
std::vector<DisplayEvent> EventsOfBrlapiKey(uint64_t code);

// Key state of the display between presses and the release that completes them.
class DisplayKeys {
 public:
  // (event type, event value) -> character and extended code, both 0 for nothing.
  void Translate(intptr_t type, intptr_t value, uint8_t& character, uint8_t& extended);
  uint32_t state() const { return state_; }

 private:
  void Decode(uint8_t& character, uint8_t& extended) const;
  uint32_t state_ = 0;  // bits 0-5 dots 1-6, 64 dot 7, 128 dot 8, 256 and 512, 0x8000 space
};

}  // namespace mg
