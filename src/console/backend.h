// Shared state of the console's SDL backend (window, painting, events). Internal to
// src/console; other modules use console.h.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/keybuffer.h"
#include "console/keydecode.h"
#include "console/screen.h"
#include "console/settings.h"

namespace mg::backend {

struct WindowState {
  bool open = false;
  bool closing = false;      // ConsoleDone is running
  bool unavailable = false;  // the window cannot be opened; the program is ending
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* target = nullptr;  // the 80 x 25 cells as last drawn
  TTF_Font* font = nullptr;       // null: the built-in bitmap font
  int cellWidth = 8;
  int cellHeight = 16;
  int ascent = 12;
  bool focused = false;
  bool reading = false;  // a key read waits: the caret shows while focused
  bool needsPresent = false;
  FontChoice fontChoice;
  DisplaySettings settings;
};

WindowState& Win();
ScreenModel& Screen();
KeyBuffer& Keys();
KeyDecoder& Decoder();

// Event subsystem and the two event types: console messages and the hand-over wake-up.
void EnsureEvents();
bool EventsReady();
uint32_t MessageEventType();
uint32_t WakeEventType();

// Painting (paint.cpp).
void MarkDamage(int row, int left, int right);
void MarkAllDamaged();
bool HasDamage();
void ReleaseRenderResources();  // glyph cache and cell texture
// Draws damage into the cell texture and composes the window picture (cells, overlay,
// caret) without presenting it.
void ComposeFrame();

// Events (events.cpp).
void DispatchEvent(const SDL_Event& event);
void DrainHandOver();  // handover.cpp

// Window (window.cpp).
void DestroyConsoleWindow();

// Sounds (tone.cpp).
void PlaySignal(const std::vector<uint16_t>& tones);
void ConsoleBeep();

// Test hooks (testhooks.cpp).
void InitTestHooks();
bool KeyScriptActive();
// Injects the script's next keys; false when the script has ended.
bool FeedKeyScript();
void TestHooksAtEnd();

// Ends the program because the window cannot be made: message on stderr, exit 1.
[[noreturn]] void FatalWindowError(const char* what);
// Ends the program when there is no window: the no-window handler says so first.
[[noreturn]] void EndWithoutWindow();

}  // namespace mg::backend
