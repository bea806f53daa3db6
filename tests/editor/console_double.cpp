// A key queue in place of the console window, for the tests of the editor's parts that
// need no screen.
#include <deque>

#include "console/console.h"

namespace mg {
namespace {

std::deque<uint8_t>& Keys() {
  static std::deque<uint8_t> keys;
  return keys;
}

}  // namespace

void PushKey(uint8_t code) { Keys().push_back(code); }
bool KeyWaiting() { return !Keys().empty(); }
uint8_t ReadKey() {
  if (Keys().empty()) return 27;  // nothing scripted: Escape, so no test can hang
  const uint8_t k = Keys().front();
  Keys().pop_front();
  return k;
}
void WaitMessage(int) {}
void PauseMs(uint16_t) {}

}  // namespace mg
