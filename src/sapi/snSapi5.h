// snSapi5 and SNSAPI54: synthesizer kinds 5 and 54, two voices of speech-dispatcher.
// Kind 5 speaks through the server's default output module; kind 54 through the module
// named by SERVFALA/MODULO54 in Sonela.ini (empty: "rhvoice" when the server has it,
// else the default module; a named module the server lacks fails the start). Both are
// registered with the dispatcher. Main thread only.
#pragma once

#include <string>
#include <string_view>

namespace mg {

// voice: numbered from 1, Brazilian Portuguese voices first; below 1 or past the end
// gives voice 1 at rate 0. speed: -10..10 (0 = the voice's normal rate).
bool Sapi5Init(int voice, int speed);
void Sapi5Speak(std::string_view text);  // plain text; empty = one blank; returns at once
bool Sapi5Busy();                        // waits up to 20 ms; posts 2980 while speaking
void Sapi5Stop();
void Sapi5Done();

bool Sapi54Init(int voice, int speed);
void Sapi54Speak(std::string_view text);
bool Sapi54Busy();
void Sapi54Stop();
void Sapi54Done();
std::string Sapi54Module();  // the module kind 54 speaks through ("" = the default)

}  // namespace mg
