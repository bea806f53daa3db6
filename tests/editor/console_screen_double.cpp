// A stand-in for the console window with the same screen, key and clipboard rules, for
// running the editor's scenario tests where the SDL window is not available. Keys that
// a test asks to arrive later are delivered when the program waits for a key.
#include <SDL.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "common/cp1252.h"
#include "console/console.h"
#include "keyscript.h"

namespace mg {
namespace {

struct Cell {
  uint8_t ch = ' ', attr = 0x0F;
};

struct State {
  Cell cells[kScreenRows][kScreenCols];
  int col = 0, row = 0;
  uint8_t attr = 0x0F;
  struct Code {
    uint8_t code;
    bool shift, alt;
  };
  std::deque<Code> keys;
  std::deque<std::vector<Code>> later;  // batches given when the program waits
  bool lastShift = false, lastAlt = false;
  OverlayPainter painter;
};

State& S() {
  static State s;
  return s;
}

void NewLine() {
  State& s = S();
  if (s.row < kScreenRows - 1) {
    ++s.row;
    return;
  }
  for (int r = 1; r < kScreenRows; ++r) {
    for (int c = 0; c < kScreenCols; ++c) s.cells[r - 1][c] = s.cells[r][c];
  }
  for (Cell& c : s.cells[kScreenRows - 1]) c = {' ', s.attr};
}

void Push(uint8_t code, bool shift, bool alt) {
  if (S().keys.size() < static_cast<size_t>(kKeyBufferSize)) S().keys.push_back({code, shift, alt});
}

}  // namespace

void ConsoleOpen() {
  static bool done = false;
  if (!done) {
    SDL_Init(SDL_INIT_VIDEO);
    done = true;
  }
}
bool ConsoleIsOpen() { return true; }

void ConsoleWrite(const char* chars, uint16_t count) {
  State& s = S();
  for (uint16_t i = 0; i < count; ++i) {
    const auto c = static_cast<uint8_t>(chars[i]);
    if (c == 8) {
      if (s.col >= 1) s.cells[s.row][--s.col] = {' ', s.attr};
    } else if (c == 10) {
      NewLine();
      s.col = 0;
    } else if (c == 13) {
      s.col = 0;
    } else if (c >= 32) {
      if (s.col == kScreenCols) {
        s.col = 0;
        NewLine();
      }
      s.cells[s.row][s.col++] = {c, s.attr};
    }
  }
}

void SetCursor(int column, int row) {
  S().col = std::clamp(column, 1, kScreenCols) - 1;
  S().row = std::clamp(row, 1, kScreenRows) - 1;
}
int CursorColumn() { return S().col + 1; }
int CursorRow() { return S().row + 1; }
void ClearToLineEnd() {
  for (int c = S().col; c < kScreenCols; ++c) S().cells[S().row][c] = {' ', S().attr};
}
void SetBackgroundColour(int colour) {
  S().attr = static_cast<uint8_t>((S().attr & 0x0F) | ((colour & 0x0F) << 4));
}
uint8_t ScreenCharAt(int column, int row) {
  if (column < 1 || column > kScreenCols || row < 1 || row > kScreenRows) return 0;
  return S().cells[row - 1][column - 1].ch;
}
uint8_t ScreenAttrAt(int column, int row) {
  if (column < 1 || column > kScreenCols || row < 1 || row > kScreenRows) return 0;
  return S().cells[row - 1][column - 1].attr;
}
uint8_t TextAttribute() { return S().attr; }
void SetTextAttribute(uint8_t attr) { S().attr = attr; }

bool KeyWaiting() { return !S().keys.empty(); }
uint8_t ReadKey() {
  State& s = S();
  if (s.keys.empty() && !s.later.empty()) {
    for (const auto& k : s.later.front()) s.keys.push_back(k);
    s.later.pop_front();
  }
  if (s.keys.empty()) {
    ADD_FAILURE() << "the code under test waits for a key the test did not give";
    s.lastShift = s.lastAlt = false;
    return 27;
  }
  const State::Code k = s.keys.front();
  s.keys.pop_front();
  s.lastShift = k.shift;
  s.lastAlt = k.alt;
  return k.code;
}
void PushKey(uint8_t code) { Push(code, false, false); }
bool ShiftHeld() { return S().lastShift; }
bool AltHeld() { return S().lastAlt; }

void PumpMessages() {}
void WaitMessage(int) {}
void PauseMs(uint16_t) {}

void CopyToClipboard(const char* text) { SDL_SetClipboardText(Cp1252ToUtf8(text).c_str()); }
void PasteFromClipboard(char* destination, size_t capacity) {
  if (capacity == 0) return;
  char* utf8 = SDL_GetClipboardText();
  const std::string text = Utf8ToCp1252(utf8 != nullptr ? utf8 : "");
  SDL_free(utf8);
  const size_t n = std::min(text.size(), capacity - 1);
  std::copy_n(text.data(), n, destination);
  destination[n] = '\0';
}

int CellWidth() { return 10; }
int CellHeight() { return 20; }
FontChoice ConsoleFont() {
  return {"DejaVu Sans Mono", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf", 700};
}
Rgb ColourOf(int n) {
  static const Rgb table[16] = {{0, 0, 0},       {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
                                {255, 0, 0},     {142, 0, 142},   {68, 34, 34},    {192, 192, 192},
                                {40, 40, 40},    {128, 128, 255}, {128, 255, 128}, {128, 255, 255},
                                {255, 128, 128}, {255, 128, 255}, {255, 255, 0},   {255, 255, 255}};
  return n >= 0 && n < 16 ? table[n] : Rgb{0, 0, 0};
}
void SetOverlayPainter(OverlayPainter painter) { S().painter = std::move(painter); }
void InvalidateConsole() {}
void PresentConsole() {}

namespace test {

namespace {

// The codes the console makes of a key press, for the few keys the tests press.
std::vector<State::Code> Decode(SDL_Keycode key, Uint16 mods) {
  const bool ctrl = (mods & KMOD_CTRL) != 0, shift = (mods & KMOD_SHIFT) != 0;
  bool alt = (mods & KMOD_ALT) != 0;
  uint8_t number = 0;
  switch (key) {
    case SDLK_RIGHT:
      number = ctrl ? 116 : 77;
      break;
    case SDLK_LEFT:
      number = ctrl ? 115 : 75;
      break;
    case SDLK_DELETE:
      number = 83;
      break;
    case SDLK_INSERT:
      number = ctrl ? 255 : (shift ? 254 : 82);
      break;
    case SDLK_F1:
      number = ctrl ? 94 : 59;
      break;
    case SDLK_F9:
      number = ctrl ? 102 : 67;
      if (ctrl && shift) alt = true;  // X11 never delivers Ctrl+Alt+F9
      break;
    case SDLK_RETURN:
      return {{13, shift, alt}};
    default:
      ADD_FAILURE() << "key not known to the test console";
      return {};
  }
  return {{0, shift, alt}, {number, shift, alt}};
}

}  // namespace

void PressKeyDouble(SDL_Keycode key, Uint16 mods) {
  for (const State::Code& c : Decode(key, mods)) Push(c.code, c.shift, c.alt);
}

void PressLaterDouble(SDL_Keycode key) { S().later.push_back(Decode(key, 0)); }

void TypeLater(const std::string& codes) {
  std::vector<State::Code> batch;
  for (char c : codes) batch.push_back({static_cast<uint8_t>(c), false, false});
  S().later.push_back(std::move(batch));
}

}  // namespace test
}  // namespace mg
