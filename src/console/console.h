// The text console: an 80 x 25 grid of cp1252 cells in one window of its own, its key
// buffer, and the window services the rest of the program calls. Everything here runs
// on the main thread, except HandOver(), which any thread may call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace mg {

constexpr int kScreenCols = 80;
constexpr int kScreenRows = 25;
constexpr int kKeyBufferSize = 64;

// Window message numbers. They keep the numbers the suite has always used.
constexpr uint32_t kMsgWaveDone = 957;               // audio output: a buffer finished playing
constexpr uint32_t kMsgStopSpeech = 1123;            // wake-up posted by StopSpeech
constexpr uint32_t kMsgSynthWake = 2980;             // wake-up posted by the synthesizers
constexpr uint32_t kMsgKeyWake = 0x4E;               // wake-up posted by PushKey
constexpr const char* kMsgBrailleName = "snLinBrl";  // registered message: braille keys

// ---- Screen (text device) -------------------------------------------------------------

// Writes characters at the cursor: 7 beep, 8 backspace, 10 new line, 13 carriage
// return, 32-255 stored with the current attribute; other codes are ignored.
void ConsoleWrite(const char* chars, uint16_t count);
// Column and row counted from 1, each clamped into the screen.
void SetCursor(int column, int row);
int CursorColumn();  // from 1; 81 right after a row's last cell was written (the wrap
                     // happens with the next character)
int CursorRow();     // from 1
void ClearToLineEnd();
void SetBackgroundColour(int colour);       // no effect while colours are fixed
uint8_t ScreenCharAt(int column, int row);  // from 1; 0 outside the screen
uint8_t ScreenAttrAt(int column, int row);
uint8_t TextAttribute();
void SetTextAttribute(uint8_t attr);

// Binds std::cout and std::cin to the console (128-character buffers). Called once,
// at program start, before any output.
void BindStandardStreams();

// ---- Keyboard -------------------------------------------------------------------------

bool KeyWaiting();  // services pending messages, then looks at the buffer
uint8_t ReadKey();  // waits for a code; two-code keys arrive as 0 then the number
void PushKey(uint8_t code);
int ConsoleReadLine(char* buffer, int size);  // echoed line input; returns length + 2 (CR LF)
// Modifier keys held with the key whose code ReadKey returned last (read from the key's
// own event, since pushed events do not update SDL's modifier state). Codes from
// PushKey carry none. Ctrl+Shift+F9 arrives as Ctrl+F9 with Alt held (screen review),
// because X11 never delivers Ctrl+Alt+F1..F12.
bool ShiftHeld();
bool AltHeld();

// ---- Window ---------------------------------------------------------------------------

// Creates the window if it does not exist yet. Without a usable font it draws with a
// built-in one. A window that cannot be opened at all (no display) is reported on stderr,
// said by the no-window handler, and ends the program with kExitNoWindow; until a
// handler is set the console goes on without a window (writes reach only the screen
// buffer), and the program ends when the handler is set or a key is waited for.
void ConsoleOpen();
bool ConsoleIsOpen();
// The window's title (cp1252, at most 79 characters): what the desktop's window list and
// a screen reader announce. Until set it is the program's path. Takes effect at once
// when the window is open, else when it opens.
void SetWindowTitle(const std::string& title);

constexpr int kExitNoWindow = 1;
// Says `sentence` (cp1252) through the sound device and returns; set by the speech
// manager once it can speak.
using NoWindowHandler = void (*)(const char* sentence);
void SetNoWindowHandler(NoWindowHandler handler);

struct Rgb {
  uint8_t r, g, b;
};
// Colour number 0-15 -> screen colour through the palette (TABCORES).
Rgb ColourOf(int colourNumber);

// Character cell size in pixels and the font the console draws with, for the magnifier.
int CellWidth();
int CellHeight();
struct FontChoice {
  std::string face;  // face name as configured (cp1252)
  std::string file;  // font file fontconfig resolved
  int weight = 700;
};
FontChoice ConsoleFont();

// Overlay drawing straight onto the window (the line magnifier). The painter is called
// after the console has painted its text, with the SDL_Renderer* of the window; it must
// only draw. Pass an empty function to remove it.
using OverlayPainter = std::function<void(void* sdlRenderer)>;
void SetOverlayPainter(OverlayPainter painter);
void InvalidateConsole();  // ask for a full repaint from the screen buffer
void PresentConsole();     // paint what is damaged now

// ---- Services -------------------------------------------------------------------------

void PumpMessages();  // a quit message ends the program through ConsoleDone
void PauseMs(uint16_t milliseconds);
// Sleeps until the next message arrives (or timeoutMs passes, -1 = no limit), then
// services all pending messages. Speech waits are built on it.
void WaitMessage(int timeoutMs = -1);
[[noreturn]] void ConsoleDone();
// The same, ending the program with `exitCode` instead of 0.
[[noreturn]] void ConsoleDone(int exitCode);

// While a handler is set, a request to end the program (the window's close button,
// Alt+F4, Ctrl+Break, the quit message) calls it instead of ending the program, so that
// work which must not be cut off (a burn) can ask the user first. The handler runs on
// the main thread while messages are serviced and should only take note of the request.
using EndRequestHandler = void (*)();
void SetEndRequestHandler(EndRequestHandler handler);

// Posts a message to the console window from the main thread.
void PostConsoleMessage(uint32_t message, intptr_t first = 0, intptr_t second = 0);
// Thread-safe: queues a message for the main thread and wakes it. The only call that
// other threads (audio callback, speech libraries, burner) may make.
void HandOver(uint32_t message, intptr_t first = 0, intptr_t second = 0);

// Handler slots of the window procedure.
using AudioNotifyHandler = void (*)(intptr_t first, intptr_t second);
void SetAudioHandler(AudioNotifyHandler handler, bool enabled);
// Braille key translator: (first, second) -> character and extended code.
using BrailleKeyTranslator = void (*)(intptr_t first, intptr_t second, uint8_t& character,
                                      uint8_t& extended);
void SetBrailleKeySlot(BrailleKeyTranslator translator, bool enabled);
// Braille display row output: called with the 80 characters of a row when drawn.
using BrailleRowSink = void (*)(const uint8_t* row80);
void SetBrailleRowSink(BrailleRowSink sink);
// Handler for any other message number (e.g. 2980); called on the main thread.
using MessageHandler = void (*)(uint32_t message, intptr_t first, intptr_t second);
void SetMessageHandler(uint32_t message, MessageHandler handler);

// Number of a registered message (0xC000 and up), the same for the same name for the
// program's life; RegisterConsoleMessage(kMsgBrailleName) is the braille key message.
uint32_t RegisterConsoleMessage(const char* name);

// Called by ConsoleOpen after the window is shown, to try to open a braille display
// (which then sets the braille key slot and row sink). Set it before the window opens.
using BrailleDisplayOpener = void (*)();
void SetBrailleDisplayOpener(BrailleDisplayOpener opener);

// A file descriptor that servicing messages also watches (the braille display's
// connection): whenever it is readable, or has hung up, `ready` is called on the main
// thread while messages are serviced, and a message wait wakes for it. One at a time;
// -1 (or a null handler) stops watching.
using FileReadyHandler = void (*)();
void WatchFileDescriptor(int fd, FileReadyHandler ready);

void PlayTone(uint16_t frequency);
void StopTone();

void CopyToClipboard(const char* text);  // cp1252
void PasteFromClipboard(char* destination, size_t capacity);

void TodayParts(int& year, int& month, int& day, int& weekday);  // weekday 0 = Sunday
void NowParts(int& hour, int& minute, int& second, int& hundredths);

}  // namespace mg
