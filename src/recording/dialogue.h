// The recording dialogue: from the banner to the end of the burn.
#pragma once

namespace mg {

// Runs the whole dialogue and ends the program (exit code 0) through SpeechDone and
// ConsoleDone, whichever way it ends.
[[noreturn]] void RunRecordingDialogue();

}  // namespace mg
