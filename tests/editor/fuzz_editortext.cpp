// The editor's text rules on any text and every cursor position: positions stay inside
// the field, lengths never change, nothing reads outside the text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "speech/editortext.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string text = input.substr(0, 2048);
  const int n = static_cast<int>(text.size());
  for (int cursor = -1; cursor <= n + 2; ++cursor) {
    const mg::edit::WordMove prev = mg::edit::PreviousWord(text, cursor);
    Check(prev.cursor >= 1 && prev.cursor <= n + 1);
    const mg::edit::WordMove next = mg::edit::NextWord(text, cursor);
    Check(next.cursor >= 1 && next.cursor <= n + 1);
    const mg::edit::NextRead read = mg::edit::ReadNextWord(text, cursor);
    Check(read.say == mg::edit::Say::Nothing ? read.cursor == cursor
                                             : read.cursor >= 1 && read.cursor <= n + 1);
    Check(mg::edit::WordForLink(text, cursor).size() <= text.size());
    std::string t = text;
    mg::edit::InsertAt(t, cursor, 'x');
    mg::edit::RemoveAt(t, cursor);
    mg::edit::ReplaceRange(t, cursor, cursor + 3, input.substr(0, 7));
    Check(t.size() == text.size());
  }
  const std::string pasted = mg::edit::CleanPaste(input, 100);
  Check(pasted.size() <= 100);
  for (char c : pasted) Check(static_cast<uint8_t>(c) >= 32);
  return 0;
}
