// Dial tones of a text (Ctrl+\ in the editor): each digit, "#" and "*" plays its DTMF
// recording, a comma pauses one second.
#pragma once

#include <string_view>

namespace mg {

// Plays letters-directory files dtmf_0 ... dtmf_9, dtmf_#, dtmf_X (for "*"); other
// characters are skipped. A waiting key ends the sequence.
void SpeakDialTones(std::string_view text);

}  // namespace mg
