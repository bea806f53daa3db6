// Kind 5: speech-dispatcher's default output module.
#include "sapi/snSapi5.h"

#include "sapi/speechd.h"
#include "speech/dispatch.h"

namespace mg {
namespace {

sapi::SpeechdVoice& Voice() {
  static sapi::SpeechdVoice voice(0);
  return voice;
}

bool Start(int voice, int speed, int, const std::string&) { return Sapi5Init(voice, speed); }
bool Busy(int) { return Sapi5Busy(); }

[[maybe_unused]] const bool kRegistered = [] {
  RegisterSynthBackend(5, SynthBackend{&Start, &Sapi5Done, &Sapi5Speak, &Busy, &Sapi5Stop});
  return true;
}();

}  // namespace

bool Sapi5Init(int voice, int speed) { return Voice().Init(voice, speed, sapi::ModuleChoice{}); }
void Sapi5Speak(std::string_view text) { Voice().Speak(text); }
bool Sapi5Busy() { return Voice().Busy(); }
void Sapi5Stop() { Voice().Stop(); }
void Sapi5Done() { Voice().Done(); }

}  // namespace mg
