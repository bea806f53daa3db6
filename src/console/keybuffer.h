// The console's key buffer: 64 byte codes, taken from the front. Each code keeps the
// modifier keys that were held when it was made, so that readers can ask about them.
#pragma once

#include <cstdint>

#include "console/console.h"

namespace mg {

struct KeyMods {
  bool shift = false;
  bool alt = false;
};

class KeyBuffer {
 public:
  // Appends one code; false (code dropped) when the buffer is full.
  bool Push(uint8_t code, KeyMods mods = {});
  // Appends 0 and `number`; false (both dropped) when fewer than two places are free.
  bool PushExtended(uint8_t number, KeyMods mods = {});
  bool Pop(uint8_t& code, KeyMods& mods);
  int count() const { return count_; }
  int free_places() const { return kKeyBufferSize - count_; }
  void Clear() { count_ = 0; }

 private:
  uint8_t codes_[kKeyBufferSize] = {};
  KeyMods mods_[kKeyBufferSize] = {};
  int count_ = 0;
};

}  // namespace mg
