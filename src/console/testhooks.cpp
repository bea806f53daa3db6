#include "console/testhooks.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "common/cp1252.h"
#include "console/backend.h"

namespace mg {
namespace {

using namespace backend;

std::vector<std::string> gScript;
size_t gNextLine = 0;
bool gScriptActive = false;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v == nullptr ? std::string() : std::string(v);
}

Uint16 ParseMods(const std::string& text) {
  Uint16 mod = KMOD_NONE;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, '+')) {
    if (part == "ctrl") mod |= KMOD_LCTRL;
    if (part == "shift") mod |= KMOD_LSHIFT;
    if (part == "alt") mod |= KMOD_LALT;
    if (part == "altgr") mod |= KMOD_MODE;
  }
  return mod;
}

Uint32 WindowId() { return Win().window != nullptr ? SDL_GetWindowID(Win().window) : 0; }

void PushKeyEvent(Uint32 type, SDL_Keycode sym, Uint16 mod) {
  SDL_Event e{};
  e.type = type;
  e.key.windowID = WindowId();
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = sym;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
  e.key.keysym.mod = mod;
  SDL_PushEvent(&e);
}

void PushText(const std::string& utf8) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  e.text.windowID = WindowId();
  std::strncpy(e.text.text, utf8.c_str(), sizeof e.text.text - 1);
  SDL_PushEvent(&e);
}

void TypeText(const std::string& text) {
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = pos;
    const char32_t cp = DecodeUtf8(text, pos);
    SDL_Keycode sym = SDLK_UNKNOWN;
    Uint16 mod = KMOD_NONE;
    if (cp >= 'a' && cp <= 'z') sym = static_cast<SDL_Keycode>(cp);
    if (cp >= 'A' && cp <= 'Z') {
      sym = static_cast<SDL_Keycode>(cp - 'A' + 'a');
      mod = KMOD_LSHIFT;
    }
    if ((cp >= '0' && cp <= '9') || cp == ' ') sym = static_cast<SDL_Keycode>(cp);
    PushKeyEvent(SDL_KEYDOWN, sym, mod);
    PushText(text.substr(start, pos - start));
    PushKeyEvent(SDL_KEYUP, sym, mod);
  }
}

// Runs one script line; true when it made events.
bool RunLine(const std::string& line) {
  std::stringstream in(line);
  std::string command;
  in >> command;
  if (command.empty() || command[0] == '#') return false;
  if (command == "text") {
    TypeText(line.size() > 5 ? line.substr(5) : std::string());
    return true;
  }
  if (command == "key" || command == "down" || command == "up") {
    std::string name, mods;
    in >> name >> mods;
    const SDL_Keycode sym = SDL_GetKeyFromName(name.c_str());
    if (sym == SDLK_UNKNOWN) {
      std::fprintf(stderr, "MG_KEY_SCRIPT: unknown key \"%s\"\n", name.c_str());
      return false;
    }
    const Uint16 mod = ParseMods(mods);
    if (command != "up") PushKeyEvent(SDL_KEYDOWN, sym, mod);
    if (command != "down") PushKeyEvent(SDL_KEYUP, sym, mod);
    return true;
  }
  if (command == "mouse") {
    std::string which;
    in >> which;
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = WindowId();
    e.button.state = SDL_PRESSED;
    e.button.button = which == "right" ? SDL_BUTTON_RIGHT
                                       : (which == "middle" ? SDL_BUTTON_MIDDLE : SDL_BUTTON_LEFT);
    SDL_PushEvent(&e);
    return true;
  }
  if (command == "wheel") {
    std::string which;
    in >> which;
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = WindowId();
    e.wheel.y = which == "up" ? 1 : (which == "down" ? -1 : 0);
    SDL_PushEvent(&e);
    return true;
  }
  if (command == "close" || command == "quit") {
    SDL_Event e{};
    if (command == "quit") {
      e.type = SDL_QUIT;
    } else {
      e.type = SDL_WINDOWEVENT;
      e.window.windowID = WindowId();
      e.window.event = SDL_WINDOWEVENT_CLOSE;
    }
    SDL_PushEvent(&e);
    return true;
  }
  if (command == "wait") {
    int ms = 0;
    in >> ms;
    const Uint32 end = SDL_GetTicks() + static_cast<Uint32>(ms < 0 ? 0 : ms);
    while (!SDL_TICKS_PASSED(SDL_GetTicks(), end))
      WaitMessage(static_cast<int>(end - SDL_GetTicks()));
    return false;
  }
  if (command == "dump") {
    TestHooksAtEnd();
    return false;
  }
  std::fprintf(stderr, "MG_KEY_SCRIPT: unknown line \"%s\"\n", line.c_str());
  return false;
}

}  // namespace

bool WriteScreenDump(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const ScreenModel& screen = Screen();
  for (int r = 0; r < kScreenRows; ++r) {
    out << Cp1252ToUtf8(
               std::string_view(reinterpret_cast<const char*>(screen.RowChars(r)), kScreenCols))
        << '\n';
  }
  out << "attributes\n";
  static const char kHex[] = "0123456789ABCDEF";
  for (int r = 0; r < kScreenRows; ++r) {
    const uint8_t* attrs = screen.RowAttrs(r);
    for (int c = 0; c < kScreenCols; ++c) out << kHex[attrs[c] >> 4] << kHex[attrs[c] & 15];
    out << '\n';
  }
  out << "cursor " << screen.column() + 1 << ' ' << screen.row() + 1 << '\n';
  return static_cast<bool>(out);
}

bool WriteScreenshot(const std::string& path) {
  WindowState& w = Win();
  if (!w.open) return false;
  const int width = kScreenCols * w.cellWidth;
  const int height = kScreenRows * w.cellHeight;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
  if (s == nullptr) return false;
  ComposeFrame();
  const SDL_Rect all{0, 0, width, height};
  bool ok =
      SDL_RenderReadPixels(w.renderer, &all, SDL_PIXELFORMAT_ARGB8888, s->pixels, s->pitch) == 0;
  SDL_RenderPresent(w.renderer);
  ok = ok && SDL_SaveBMP(s, path.c_str()) == 0;
  SDL_FreeSurface(s);
  return ok;
}

namespace backend {

void InitTestHooks() {
  const std::string path = Env("MG_KEY_SCRIPT");
  if (path.empty()) return;
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "MG_KEY_SCRIPT: cannot read %s\n", path.c_str());
    return;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    gScript.push_back(line);
  }
  gScriptActive = true;
}

bool KeyScriptActive() { return gScriptActive; }

bool FeedKeyScript() {
  while (gNextLine < gScript.size()) {
    if (RunLine(gScript[gNextLine++])) return true;
    if (Keys().count() > 0) return true;  // a wait let keys arrive
  }
  return false;
}

void TestHooksAtEnd() {
  const std::string dump = Env("MG_SCREEN_DUMP");
  if (!dump.empty() && !WriteScreenDump(dump)) {
    std::fprintf(stderr, "MG_SCREEN_DUMP: cannot write %s\n", dump.c_str());
  }
  const std::string shot = Env("MG_SCREENSHOT");
  if (!shot.empty() && Win().open && !WriteScreenshot(shot)) {
    std::fprintf(stderr, "MG_SCREENSHOT: cannot write %s: %s\n", shot.c_str(), SDL_GetError());
  }
}

}  // namespace backend
}  // namespace mg
