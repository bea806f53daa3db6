// A console without a window for the sound and speech tests: a key buffer, the
// hand-over queue with its wake-up, and a transcript of what was written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mg::fake {

void Reset();
// Pushes `code` into the key buffer once `blocksDone` buffer-done notices have been
// handled (0 = at the next message servicing).
void PushKeyAfterBlocks(uint8_t code, int blocksDone);
int KeysWaiting();
// A device that plays but never reports a buffer done: notices are lost until Reset.
void DropWaveDone(bool drop);
int BlocksDone();                         // buffer-done notices handled since Reset
int StopWakeUps();                        // messages 1123 posted since Reset
int Pauses();                             // PauseMs calls since Reset
std::string& Written();                   // everything ConsoleWrite received
std::vector<std::string>& LinesToRead();  // answers for ConsoleReadLine
void SetClock(int hour, int minute);
void SetDate(int year, int month, int day, int weekday);

struct ConsoleDoneCalled {};  // ConsoleDone throws it instead of ending the process

}  // namespace mg::fake
