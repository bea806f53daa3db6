// Stand-ins for the speak operations, the recorded numbers, the audio output and the
// legacy translator's letters directory: the editor's tests check which sounds the
// editor asks for, and in which order, without playing any.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mg::test {

// Every sound asked for since the last ClearSounds, as
//   "beep", "click", "char:<code>", "rec:<name>", "text:<text>", "spell:<text>",
//   "time", "date", "init:<speed>:<dir>", "done", "file:<path>".
std::vector<std::string>& Sounds();
void ClearSounds();
int StopCount();

// Pushes the first `initial` codes of `script` now and one more after each key echo
// (SpeakChar) or beep, so that a script longer than the console's 64-code buffer can be
// typed: each typed character is read once and echoed once.
void FeedKeys(const std::string& script, size_t initial = 48);

// Called with every sound as it is asked for (the text of Sounds()), to look at the
// screen while the editor runs.
void OnSound(std::function<void(const std::string&)> hook);

// Keys pushed when the next beep sounds (one batch per beep), for sequences in which the
// code under test discards the waiting keys right before a beep.
void PushAfterBeep(std::vector<uint8_t> keys);

}  // namespace mg::test
