// Typing into the real console for the editor's tests: codes straight into the key
// buffer, and real SDL key events where the modifier keys matter.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "console/console.h"

namespace mg::test {

inline void Type(const std::string& s) {
  for (char c : s) PushKey(static_cast<uint8_t>(c));
}

inline void Extended(uint8_t code) {
  PushKey(0);
  PushKey(code);
}

#ifdef MG_CONSOLE_DOUBLE
// The stand-in console (console_screen_double.cpp) decodes the few keys the tests use.
void PressKeyDouble(SDL_Keycode key, Uint16 mods);
void PressLaterDouble(SDL_Keycode key);
// Codes given only when the program waits for a key: reading the screen stops at a
// waiting key, so what follows a reading command must come after it.
void TypeLater(const std::string& codes);
inline void PressKey(SDL_Keycode key, Uint16 mods) { PressKeyDouble(key, mods); }
inline void PressLater(Uint32, SDL_Keycode key) { PressLaterDouble(key); }
#else
// The console's window (the only one the tests open): events must name it.
inline Uint32 ConsoleWindowId() {
  for (Uint32 id = 1; id < 64; ++id) {
    if (SDL_GetWindowFromID(id) != nullptr) return id;
  }
  return 0;
}

// A key press with modifiers as the window receives it; decoded at once so that its
// codes stand in the buffer in order with codes pushed afterwards.
inline void PressKey(SDL_Keycode key, Uint16 mods) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.state = SDL_PRESSED;
  e.key.keysym.sym = key;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  e.key.keysym.mod = mods;
  e.key.windowID = ConsoleWindowId();
  SDL_PushEvent(&e);
  e.type = SDL_KEYUP;
  e.key.state = SDL_RELEASED;
  SDL_PushEvent(&e);
  PumpMessages();
}

// A key press `ms` milliseconds from now, from SDL's timer thread (SDL_PushEvent may be
// called from any thread): for keys that must arrive only after the code under test has
// looked whether keys are waiting.
inline void PressLater(Uint32 ms, SDL_Keycode key) {
  static SDL_Keycode pending;
  pending = key;
  SDL_InitSubSystem(SDL_INIT_TIMER);
  SDL_AddTimer(
      ms,
      [](Uint32, void* param) -> Uint32 {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.state = SDL_PRESSED;
        e.key.keysym.sym = *static_cast<SDL_Keycode*>(param);
        e.key.keysym.scancode = SDL_GetScancodeFromKey(e.key.keysym.sym);
        e.key.windowID = ConsoleWindowId();
        SDL_PushEvent(&e);
        return 0;
      },
      &pending);
}

#endif

// Blanks the whole screen with attribute 0x0F and puts the cursor home.
inline void ClearScreen() {
  SetTextAttribute(0x0F);
  for (int r = 1; r <= kScreenRows; ++r) {
    SetCursor(1, r);
    ClearToLineEnd();
  }
  SetCursor(1, 1);
}

inline void WriteAt(int column, int row, const std::string& s, uint8_t attr = 0x0F) {
  const uint8_t old = TextAttribute();
  SetTextAttribute(attr);
  SetCursor(column, row);
  ConsoleWrite(s.data(), static_cast<uint16_t>(s.size()));
  SetTextAttribute(old);
}

inline std::string ScreenRow(int row) {
  std::string s;
  for (int c = 1; c <= kScreenCols; ++c) s += static_cast<char>(ScreenCharAt(c, row));
  return s;
}

}  // namespace mg::test
