#include "console/keybuffer.h"

#include <algorithm>

namespace mg {

bool KeyBuffer::Push(uint8_t code, KeyMods mods) {
  if (count_ >= kKeyBufferSize) return false;
  codes_[count_] = code;
  mods_[count_] = mods;
  ++count_;
  return true;
}

bool KeyBuffer::PushExtended(uint8_t number, KeyMods mods) {
  if (free_places() < 2) return false;
  Push(0, mods);
  Push(number, mods);
  return true;
}

bool KeyBuffer::Pop(uint8_t& code, KeyMods& mods) {
  if (count_ == 0) return false;
  code = codes_[0];
  mods = mods_[0];
  std::copy(codes_ + 1, codes_ + count_, codes_);
  std::copy(mods_ + 1, mods_ + count_, mods_);
  --count_;
  return true;
}

}  // namespace mg
