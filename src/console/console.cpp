// The console's text device and key reading: the screen model and key buffer bound to
// the window, and the standard streams bound to both.
#include <iostream>

#include "console/backend.h"
#include "console/lineread.h"
#include "console/textstreams.h"

namespace mg {
namespace backend {

ScreenModel& Screen() {
  static ScreenModel screen;
  return screen;
}

KeyBuffer& Keys() {
  static KeyBuffer keys;
  return keys;
}

KeyDecoder& Decoder() {
  static KeyDecoder decoder(Keys());
  return decoder;
}

}  // namespace backend

namespace {

using namespace backend;

BrailleRowSink gRowSink = nullptr;
KeyMods gLastMods;

void SendRowToBraille(int row) {
  if (gRowSink != nullptr) gRowSink(Screen().RowChars(row));
}

// Connects the screen model to the window: changed stretches become damage to paint,
// and rows go to the braille display as they are written.
class WindowSink : public ScreenSink {
 public:
  void DrawStretch(int row, int left, int right) override {
    if (left >= right) return;
    SendRowToBraille(row);
    MarkDamage(row, left, right);
  }
  void Scrolled() override { MarkAllDamaged(); }
  void Beep() override { ConsoleBeep(); }
};

WindowSink gSink;

}  // namespace

void ConsoleWrite(const char* chars, uint16_t count) {
  ConsoleOpen();
  if (chars == nullptr) return;
  Screen().Write(chars, count, gSink);
  PresentConsole();
}

void SetCursor(int column, int row) {
  Screen().SetCursor(column, row);
  SendRowToBraille(Screen().row());
  if (Win().reading) Win().needsPresent = true;
}

int CursorColumn() { return Screen().column() + 1; }
int CursorRow() { return Screen().row() + 1; }

void ClearToLineEnd() {
  ConsoleOpen();
  Screen().ClearToLineEnd(gSink);
  PresentConsole();
}

void SetBackgroundColour(int colour) {
  ConsoleOpen();
  if (Win().settings.fixedColours) return;
  Screen().set_attribute(static_cast<uint8_t>((Screen().attribute() & 0x0F) | (colour & 15) << 4));
}

uint8_t ScreenCharAt(int column, int row) {
  if (column < 1 || column > kScreenCols || row < 1 || row > kScreenRows) return 0;
  return Screen().CharAt(column - 1, row - 1);
}

uint8_t ScreenAttrAt(int column, int row) {
  if (column < 1 || column > kScreenCols || row < 1 || row > kScreenRows) return 0;
  return Screen().AttrAt(column - 1, row - 1);
}

uint8_t TextAttribute() { return Screen().attribute(); }
void SetTextAttribute(uint8_t attr) { Screen().set_attribute(attr); }

void SetBrailleRowSink(BrailleRowSink sink) { gRowSink = sink; }

bool KeyWaiting() {
  ConsoleOpen();
  PumpMessages();
  return Keys().count() > 0;
}

uint8_t ReadKey() {
  while (!KeyWaiting()) {
    if (!Win().reading) {
      Win().reading = true;
      PresentConsole();  // shows the caret
    } else if (Win().needsPresent) {
      PresentConsole();
    }
    if (KeyScriptActive()) {
      if (!FeedKeyScript()) {
        std::cerr << "MG_KEY_SCRIPT: the script ended while the program waits for a key\n";
        TestHooksAtEnd();
        std::exit(3);
      }
      continue;
    }
    if (Win().unavailable) EndWithoutWindow();  // no key can ever come
    WaitMessage(-1);
  }
  if (Win().reading) {
    Win().reading = false;
    Win().needsPresent = true;  // the caret goes with the next picture
  }
  uint8_t code = 0;
  Keys().Pop(code, gLastMods);
  return code;
}

void PushKey(uint8_t code) {
  Keys().Push(code);
  PostConsoleMessage(kMsgKeyWake);
}

bool ShiftHeld() { return gLastMods.shift; }
bool AltHeld() { return gLastMods.alt; }

int ConsoleReadLine(char* buffer, int size) {
  return ReadLineFrom(buffer, size, ReadKey, ConsoleWrite);
}

void BindStandardStreams() {
  // Never destroyed: the standard streams flush once more after static destructors.
  static ConsoleOutBuf& out = *new ConsoleOutBuf(
      [](const char* chars, uint16_t count) { ConsoleWrite(chars, count); }, [] { KeyWaiting(); });
  static ConsoleInBuf& in =
      *new ConsoleInBuf([](char* buffer, int size) { return ConsoleReadLine(buffer, size); });
  std::cout.rdbuf(&out);
  std::cin.rdbuf(&in);
  std::cin.tie(&std::cout);
}

}  // namespace mg
