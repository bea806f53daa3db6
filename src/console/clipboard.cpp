// The plain-text clipboard through SDL (UTF-8 there, cp1252 here).
#include <SDL.h>

#include "common/cp1252.h"
#include "console/clipboardtext.h"
#include "console/console.h"

namespace mg {

void CopyToClipboard(const char* text) {
  if (text == nullptr || SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  SDL_SetClipboardText(Cp1252ToUtf8(text).c_str());
}

void PasteFromClipboard(char* destination, size_t capacity) {
  if (destination == nullptr || capacity == 0 || SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  char* text = SDL_GetClipboardText();
  if (text == nullptr) return;
  ClipboardTextToCp1252(text, destination, capacity);
  SDL_free(text);
}

}  // namespace mg
