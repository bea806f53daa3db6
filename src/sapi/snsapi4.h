// snsapi4: synthesizer kind 4, the espeak-ng voice in-process. Its samples play through
// snwav (the same device and the same key interrupt as every other sound); registered
// with the dispatcher as kind 4. Main thread only.
#pragma once

#include <string>
#include <string_view>

namespace mg {

// Starts the voice. voice: 1 = the first voice of espeak-ng's list with the Brazilian
// Portuguese voices first (below 1 counts as 1, past the end gives the last); speed:
// words per minute (80-450; 0 or less = normal); pitch: 0 = the voice's own, each step
// up or down moves espeak-ng's base pitch by 5 of its 100. A non-empty `outputFile`
// collects the speech into that WAV file (written by Sapi4Done) instead of playing it.
// False, holding nothing, when espeak-ng or its data cannot start.
bool Sapi4Init(int voice, int speed, int pitch, const std::string& outputFile = "");
// Trims blanks; ignores an empty text; a single digit is spoken as "5."; a text arriving
// while a key waits is dropped. Returns at once.
void Sapi4Speak(std::string_view text);
// onlyText: texts not yet fully synthesized; otherwise those or sound still playing.
bool Sapi4Busy(bool onlyText);
void Sapi4Stop();  // silence now, forget every pending text
void Sapi4Done();  // stop and release; Sapi4Init may follow

// What Sapi4Speak gives the voice for `text`: blanks trimmed, "." after a lone digit.
std::string Sapi4Text(std::string_view text);

// The name of the voice Sapi4Init chose (for the command-line tool and tests).
std::string Sapi4VoiceName();

}  // namespace mg
