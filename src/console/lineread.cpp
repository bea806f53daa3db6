#include "console/lineread.h"

namespace mg {

int ReadLineFrom(char* buffer, int size, const KeySource& readKey, const ScreenWriter& write) {
  if (buffer == nullptr || size < 0) size = 0;
  int length = 0;
  for (;;) {
    const uint8_t code = readKey();
    if (code == 13) break;
    if (code == 8) {
      if (length > 0) {
        write("\b", 1);
        --length;
      }
    } else if (code >= 32 && length < size - 2) {
      const char c = static_cast<char>(code);
      buffer[length++] = c;
      write(&c, 1);
    }
  }
  write("\r\n", 2);
  if (length < size) buffer[length++] = '\r';
  if (length < size) buffer[length++] = '\n';
  return length;
}

}  // namespace mg
