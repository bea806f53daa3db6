#include "tests/audio/fake_console.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "console/console.h"

namespace mg {
namespace {

struct Message {
  uint32_t number;
  intptr_t first, second;
};

struct State {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Message> handed;  // guarded by mutex
  std::deque<uint8_t> keys;
  AudioNotifyHandler audio = nullptr;
  bool audioEnabled = false;
  int blocksDone = 0;
  bool dropWaveDone = false;
  int stopWakeUps = 0;
  int pendingKey = -1;
  int pendingAfter = 0;
  std::string written;
  std::vector<std::string> lines;
  int hour = 0, minute = 0, year = 2026, month = 1, day = 1, weekday = 4;
  int column = 1;
  int pauses = 0;
};

State& S() {
  static State s;
  return s;
}

void Deliver(const Message& m) {
  State& s = S();
  if (m.number == kMsgWaveDone) {
    if (s.dropWaveDone) return;
    if (s.audio && s.audioEnabled) s.audio(m.first, m.second);
    ++s.blocksDone;
  } else if (m.number == kMsgStopSpeech) {
    ++s.stopWakeUps;
  }
}

void CheckPendingKey() {
  State& s = S();
  if (s.pendingKey >= 0 && s.blocksDone >= s.pendingAfter) {
    s.keys.push_back(static_cast<uint8_t>(s.pendingKey));
    s.pendingKey = -1;
  }
}

}  // namespace

namespace fake {
void Reset() {
  State& s = S();
  {
    std::lock_guard lock(s.mutex);
    s.handed.clear();
  }
  s.keys.clear();
  s.blocksDone = 0;
  s.dropWaveDone = false;
  s.stopWakeUps = 0;
  s.pendingKey = -1;
  s.written.clear();
  s.lines.clear();
  s.column = 1;
  s.pauses = 0;
}
void PushKeyAfterBlocks(uint8_t code, int blocksDone) {
  S().pendingKey = code;
  S().pendingAfter = S().blocksDone + blocksDone;
}
int KeysWaiting() { return static_cast<int>(S().keys.size()); }
int BlocksDone() { return S().blocksDone; }
void DropWaveDone(bool drop) { S().dropWaveDone = drop; }
int StopWakeUps() { return S().stopWakeUps; }
int Pauses() { return S().pauses; }
std::string& Written() { return S().written; }
std::vector<std::string>& LinesToRead() { return S().lines; }
void SetClock(int hour, int minute) {
  S().hour = hour;
  S().minute = minute;
}
void SetDate(int year, int month, int day, int weekday) {
  S().year = year;
  S().month = month;
  S().day = day;
  S().weekday = weekday;
}
}  // namespace fake

void PumpMessages() {
  State& s = S();
  for (;;) {
    Message m;
    {
      std::lock_guard lock(s.mutex);
      if (s.handed.empty()) break;
      m = s.handed.front();
      s.handed.pop_front();
    }
    Deliver(m);
  }
  CheckPendingKey();
}

void WaitMessage(int timeoutMs) {
  State& s = S();
  {
    std::unique_lock lock(s.mutex);
    const auto ready = [&] { return !s.handed.empty(); };
    if (timeoutMs < 0) {
      s.wake.wait(lock, ready);
    } else {
      s.wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    }
  }
  PumpMessages();
}

void PauseMs(uint16_t milliseconds) {
  ++S().pauses;
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  PumpMessages();
}

void HandOver(uint32_t message, intptr_t first, intptr_t second) {
  State& s = S();
  {
    std::lock_guard lock(s.mutex);
    s.handed.push_back({message, first, second});
  }
  s.wake.notify_all();
}

void PostConsoleMessage(uint32_t message, intptr_t first, intptr_t second) {
  HandOver(message, first, second);
}

void SetAudioHandler(AudioNotifyHandler handler, bool enabled) {
  S().audio = handler;
  S().audioEnabled = enabled;
}

bool KeyWaiting() {
  PumpMessages();
  return !S().keys.empty();
}

uint8_t ReadKey() {
  while (!KeyWaiting()) WaitMessage(5);
  const uint8_t k = S().keys.front();
  S().keys.pop_front();
  return k;
}

void PushKey(uint8_t code) { S().keys.push_back(code); }

void ConsoleWrite(const char* chars, uint16_t count) {
  S().written.append(chars, count);
  for (uint16_t i = 0; i < count; ++i) {
    if (chars[i] == '\r' || chars[i] == '\n') {
      S().column = 1;
    } else {
      ++S().column;
    }
  }
}

int CursorColumn() { return S().column; }

int ConsoleReadLine(char* buffer, int size) {
  std::string line;
  if (!S().lines.empty()) {
    line = S().lines.front();
    S().lines.erase(S().lines.begin());
  }
  const int n = std::min<int>(static_cast<int>(line.size()), size - 1);
  std::memcpy(buffer, line.data(), static_cast<size_t>(n));
  buffer[n] = 0;
  return n + 2;
}

void ConsoleOpen() {}
bool ConsoleIsOpen() { return true; }
void SetNoWindowHandler(NoWindowHandler) {}

void ConsoleDone() { throw fake::ConsoleDoneCalled{}; }

void NowParts(int& hour, int& minute, int& second, int& hundredths) {
  hour = S().hour;
  minute = S().minute;
  second = 0;
  hundredths = 0;
}

void TodayParts(int& year, int& month, int& day, int& weekday) {
  year = S().year;
  month = S().month;
  day = S().day;
  weekday = S().weekday;
}

}  // namespace mg
