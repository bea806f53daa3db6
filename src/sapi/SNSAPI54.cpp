// Kind 54: a second output module of speech-dispatcher, named in Sonela.ini.
#include "sapi/snSapi5.h"
#include "sapi/speechd.h"
#include "speech/config.h"
#include "speech/dispatch.h"

namespace mg {
namespace {

sapi::SpeechdVoice& Voice() {
  static sapi::SpeechdVoice voice(1);
  return voice;
}

sapi::ModuleChoice Module() {
  std::string name = IniRead("SERVFALA", "MODULO54");
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.erase(0, 1);
  if (name.empty()) return sapi::ModuleChoice{"rhvoice", false};
  return sapi::ModuleChoice{name, true};
}

bool Start(int voice, int speed, int, const std::string&) { return Sapi54Init(voice, speed); }
bool Busy(int) { return Sapi54Busy(); }

[[maybe_unused]] const bool kRegistered = [] {
  RegisterSynthBackend(54, SynthBackend{&Start, &Sapi54Done, &Sapi54Speak, &Busy, &Sapi54Stop});
  return true;
}();

}  // namespace

bool Sapi54Init(int voice, int speed) { return Voice().Init(voice, speed, Module()); }
void Sapi54Speak(std::string_view text) { Voice().Speak(text); }
bool Sapi54Busy() { return Voice().Busy(); }
void Sapi54Stop() { Voice().Stop(); }
void Sapi54Done() { Voice().Done(); }
std::string Sapi54Module() { return Voice().ModuleName(); }

}  // namespace mg
