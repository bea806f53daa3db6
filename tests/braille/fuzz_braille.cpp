// Any bytes as screen rows (80 characters each, one translator across them, as the
// display sees row after row) shown on displays of several sizes; and the same bytes
// as BrlAPI key codes and display events for the key translator.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "braille/dots.h"
#include "braille/keys.h"
#include "braille/translate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mg::BrailleTranslator translator;
  for (size_t at = 0; at < size; at += 80) {
    uint8_t row[80];
    std::memset(row, ' ', sizeof row);
    std::memcpy(row, data + at, size - at < 80 ? size - at : 80);
    for (int cells : {1, 12, 40, 80}) {
      if (mg::RowCells(translator, row, cells).size() != static_cast<size_t>(cells)) std::abort();
    }
  }
  mg::DisplayKeys keys;
  for (size_t at = 0; at + 8 <= size; at += 8) {
    uint64_t code;
    std::memcpy(&code, data + at, sizeof code);
    std::vector<mg::DisplayEvent> events = mg::EventsOfBrlapiKey(code);
    events.push_back({static_cast<intptr_t>(code & 3), static_cast<intptr_t>(code >> 2)});
    for (const mg::DisplayEvent& e : events) {
      uint8_t ch = 0, ext = 0;
      keys.Translate(e.type, e.value, ch, ext);
      if (ch != 0 && ext != 0) std::abort();  // one or the other, never both
    }
  }
  return 0;
}
