// Servicing messages: SDL events become key codes, window state and the console's
// numbered messages, which go to the handler slots.
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/cp1252.h"
#include "console/backend.h"

namespace mg {
namespace backend {
namespace {

std::atomic<bool> gEventsReady{false};
uint32_t gMessageEvent = 0;
uint32_t gWakeEvent = 0;

AudioNotifyHandler gAudioHandler = nullptr;
bool gAudioEnabled = false;
BrailleKeyTranslator gBrailleTranslator = nullptr;
bool gBrailleEnabled = false;
std::map<uint32_t, MessageHandler> gHandlers;
std::vector<std::string> gRegistered;

KeyEvent gLastKeyDown;  // modifiers of the key whose text may follow

// The watched descriptor. SDL cannot wait on it, so a wait while one is watched sleeps
// in slices and looks at it between them.
int gWatchedFd = -1;
FileReadyHandler gWatchedReady = nullptr;
constexpr int kWatchSliceMs = 20;

bool WatchedFdReady() {
  if (gWatchedFd < 0 || gWatchedReady == nullptr) return false;
  pollfd p{gWatchedFd, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && p.revents != 0;
}

bool Has(Uint16 mod, Uint16 which) { return (mod & which) != 0; }

KeyEvent Translate(const SDL_Keysym& ks) {
  KeyEvent e;
  e.ctrl = Has(ks.mod, KMOD_CTRL);
  e.alt = Has(ks.mod, KMOD_ALT);
  e.shift = Has(ks.mod, KMOD_SHIFT);
  const SDL_Keycode sym = ks.sym;
  const bool numLock = Has(ks.mod, KMOD_NUM);
  if (sym >= SDLK_F1 && sym <= SDLK_F12) {
    e.key = static_cast<Key>(static_cast<int>(Key::F1) + (sym - SDLK_F1));
  } else if (sym >= 'a' && sym <= 'z') {
    e.key = Key::Letter;
    e.ch = static_cast<char>(sym);
  } else if (sym >= '0' && sym <= '9') {
    e.key = Key::Digit;
    e.ch = static_cast<char>(sym);
  } else {
    switch (sym) {
      case SDLK_INSERT:
        e.key = Key::Insert;
        break;
      case SDLK_DELETE:
        e.key = Key::Delete;
        break;
      case SDLK_HOME:
        e.key = Key::Home;
        break;
      case SDLK_END:
        e.key = Key::End;
        break;
      case SDLK_PAGEUP:
        e.key = Key::PageUp;
        break;
      case SDLK_PAGEDOWN:
        e.key = Key::PageDown;
        break;
      case SDLK_UP:
        e.key = Key::Up;
        break;
      case SDLK_DOWN:
        e.key = Key::Down;
        break;
      case SDLK_LEFT:
        e.key = Key::Left;
        break;
      case SDLK_RIGHT:
        e.key = Key::Right;
        break;
      case SDLK_BACKSPACE:
        e.key = Key::Backspace;
        break;
      case SDLK_RETURN:
      case SDLK_KP_ENTER:
        e.key = Key::Enter;
        break;
      case SDLK_ESCAPE:
        e.key = Key::Escape;
        break;
      case SDLK_TAB:
        e.key = Key::Tab;
        break;
      case SDLK_SPACE:
        e.key = Key::Space;
        break;
      case SDLK_PAUSE:
      case SDLK_CANCEL:
        e.key = Key::Break;
        break;
      case SDLK_LEFTBRACKET:
        e.key = Key::Bracket;
        e.ch = '[';
        break;
      case SDLK_BACKSLASH:
        e.key = Key::Bracket;
        e.ch = '\\';
        break;
      case SDLK_RIGHTBRACKET:
        e.key = Key::Bracket;
        e.ch = ']';
        break;
      default:
        break;
    }
    // The keypad without Num Lock is a second set of cursor keys.
    if (!numLock) {
      switch (sym) {
        case SDLK_KP_7:
          e.key = Key::Home;
          break;
        case SDLK_KP_8:
          e.key = Key::Up;
          break;
        case SDLK_KP_9:
          e.key = Key::PageUp;
          break;
        case SDLK_KP_4:
          e.key = Key::Left;
          break;
        case SDLK_KP_6:
          e.key = Key::Right;
          break;
        case SDLK_KP_1:
          e.key = Key::End;
          break;
        case SDLK_KP_2:
          e.key = Key::Down;
          break;
        case SDLK_KP_3:
          e.key = Key::PageDown;
          break;
        case SDLK_KP_0:
          e.key = Key::Insert;
          break;
        case SDLK_KP_PERIOD:
          e.key = Key::Delete;
          break;
        default:
          break;
      }
    }
  }
  return e;
}

KeyMods CurrentMods() {
  const SDL_Keymod mod = SDL_GetModState();
  return KeyMods{Has(mod, KMOD_SHIFT), Has(mod, KMOD_ALT)};
}

bool OurWindow(Uint32 windowID) {
  return Win().window != nullptr && windowID == SDL_GetWindowID(Win().window);
}

void OnMessage(uint32_t message, intptr_t first, intptr_t second) {
  if (message == kMsgWaveDone && gAudioEnabled && gAudioHandler != nullptr) {
    gAudioHandler(first, second);
    return;
  }
  if (message == RegisterConsoleMessage(kMsgBrailleName)) {
    if (!gBrailleEnabled || gBrailleTranslator == nullptr) return;
    uint8_t character = 0, extended = 0;
    gBrailleTranslator(first, second, character, extended);
    if (character == 0 && extended == 0) return;
    PushKey(character);
    if (character == 0) PushKey(extended);
    PostConsoleMessage(kMsgKeyWake);
    return;
  }
  auto it = gHandlers.find(message);
  if (it != gHandlers.end() && it->second != nullptr) it->second(message, first, second);
}

void OnWindowEvent(const SDL_WindowEvent& e) {
  WindowState& w = Win();
  switch (e.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED: {
      w.focused = true;
      int x, y;
      Decoder().FocusGained(SDL_GetGlobalMouseState(&x, &y) != 0);
      w.needsPresent = true;
      break;
    }
    case SDL_WINDOWEVENT_FOCUS_LOST:
      w.focused = false;
      Decoder().FocusLost();
      w.needsPresent = true;
      break;
    case SDL_WINDOWEVENT_CLOSE:
      if (!w.closing) ConsoleDone();
      break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
      w.needsPresent = true;
      break;
    default:
      break;
  }
}

void OnKeyDown(const SDL_KeyboardEvent& e) {
  const KeyEvent key = Translate(e.keysym);
  gLastKeyDown = key;
  switch (Decoder().KeyDown(key)) {
    case KeyDecoder::Outcome::EndProgram:
    case KeyDecoder::Outcome::CloseWindow:
      if (!Win().closing) ConsoleDone();
      break;
    case KeyDecoder::Outcome::ModeChanged:
      PlaySignal(Decoder().TakeSignal());
      break;
    case KeyDecoder::Outcome::None:
      break;
  }
}

void OnText(const char* text) {
  const std::string_view utf8(text, strnlen(text, sizeof(SDL_TextInputEvent::text)));
  size_t pos = 0;
  while (pos < utf8.size()) {
    const int ch = CodePointToCp1252(DecodeUtf8(utf8, pos));
    if (ch >= 0) Decoder().Text(static_cast<uint8_t>(ch), gLastKeyDown);
  }
  gLastKeyDown = KeyEvent{};  // later text without a key (input methods) is plain text
}

}  // namespace

void EnsureEvents() {
  if (gEventsReady) return;
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) FatalWindowError("SDL_INIT_EVENTS");
  const Uint32 first = SDL_RegisterEvents(2);
  if (first == static_cast<Uint32>(-1)) FatalWindowError("SDL_RegisterEvents");
  gMessageEvent = first;
  gWakeEvent = first + 1;
  gEventsReady = true;
}

bool EventsReady() { return gEventsReady; }
uint32_t MessageEventType() { return gMessageEvent; }
uint32_t WakeEventType() { return gWakeEvent; }

void DispatchEvent(const SDL_Event& event) {
  WindowState& w = Win();
  if (event.type == gMessageEvent && gEventsReady) {
    OnMessage(static_cast<uint32_t>(event.user.code), reinterpret_cast<intptr_t>(event.user.data1),
              reinterpret_cast<intptr_t>(event.user.data2));
    return;
  }
  if (event.type == gWakeEvent && gEventsReady) {
    DrainHandOver();
    return;
  }
  switch (event.type) {
    case SDL_QUIT:
      if (!w.closing) ConsoleDone();
      break;
    case SDL_WINDOWEVENT:
      if (OurWindow(event.window.windowID)) OnWindowEvent(event.window);
      break;
    case SDL_KEYDOWN:
      if (OurWindow(event.key.windowID)) OnKeyDown(event.key);
      break;
    case SDL_KEYUP:
      if (OurWindow(event.key.windowID)) Decoder().KeyUp(Translate(event.key.keysym));
      break;
    case SDL_TEXTINPUT:
      if (OurWindow(event.text.windowID)) OnText(event.text.text);
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (OurWindow(event.button.windowID))
        Decoder().MouseButton(event.button.button, CurrentMods());
      break;
    case SDL_MOUSEWHEEL:
      if (OurWindow(event.wheel.windowID)) {
        const int y =
            event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        Decoder().Wheel(y, CurrentMods());
      }
      break;
    case SDL_RENDER_TARGETS_RESET:
      MarkAllDamaged();
      break;
    case SDL_RENDER_DEVICE_RESET:
      ReleaseRenderResources();
      MarkAllDamaged();
      break;
    default:
      break;
  }
}

}  // namespace backend

using namespace backend;

void PumpMessages() {
  if (WatchedFdReady()) gWatchedReady();  // may post messages, dispatched just below
  if (EventsReady()) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) DispatchEvent(e);
  }
  DrainHandOver();
  if (Win().open && HasDamage()) PresentConsole();
}

void WaitMessage(int timeoutMs) {
  EnsureEvents();
  if (Win().open && HasDamage()) PresentConsole();
  SDL_Event e;
  if (gWatchedFd < 0 || gWatchedReady == nullptr) {
    const int got = timeoutMs < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeoutMs);
    if (got == 1) DispatchEvent(e);
  } else {
    const Uint32 start = SDL_GetTicks();
    while (!WatchedFdReady()) {
      int slice = kWatchSliceMs;
      if (timeoutMs >= 0) {
        const int left = timeoutMs - static_cast<int>(SDL_GetTicks() - start);
        if (left <= 0) break;
        slice = std::min(slice, left);
      }
      if (SDL_WaitEventTimeout(&e, slice) == 1) {
        DispatchEvent(e);
        break;
      }
    }
  }
  PumpMessages();
}

void WatchFileDescriptor(int fd, FileReadyHandler ready) {
  gWatchedFd = ready == nullptr ? -1 : fd;
  gWatchedReady = fd < 0 ? nullptr : ready;
}

void PauseMs(uint16_t milliseconds) {
  SDL_Delay(milliseconds);
  PumpMessages();
}

void ConsoleDone() {
  WindowState& w = Win();
  if (w.closing) std::exit(0);
  w.closing = true;
  if (w.open) {
    w.reading = false;
    PumpMessages();
    Keys().Clear();
  }
  TestHooksAtEnd();
  if (w.open) DestroyConsoleWindow();
  std::exit(0);
}

void PostConsoleMessage(uint32_t message, intptr_t first, intptr_t second) {
  EnsureEvents();
  SDL_Event e{};
  e.type = MessageEventType();
  e.user.code = static_cast<Sint32>(message);
  e.user.data1 = reinterpret_cast<void*>(first);
  e.user.data2 = reinterpret_cast<void*>(second);
  SDL_PushEvent(&e);
}

void SetAudioHandler(AudioNotifyHandler handler, bool enabled) {
  gAudioHandler = handler;
  gAudioEnabled = enabled;
}

void SetBrailleKeySlot(BrailleKeyTranslator translator, bool enabled) {
  gBrailleTranslator = translator;
  gBrailleEnabled = enabled;
}

void SetMessageHandler(uint32_t message, MessageHandler handler) {
  if (handler == nullptr) {
    gHandlers.erase(message);
  } else {
    gHandlers[message] = handler;
  }
}

uint32_t RegisterConsoleMessage(const char* name) {
  const std::string key = name == nullptr ? "" : name;
  for (size_t i = 0; i < gRegistered.size(); ++i) {
    if (gRegistered[i] == key) return 0xC000 + static_cast<uint32_t>(i);
  }
  gRegistered.push_back(key);
  return 0xC000 + static_cast<uint32_t>(gRegistered.size() - 1);
}

}  // namespace mg
