// The dispatcher over the system synthesizers: the speech manager's five calls, passed
// on to the back-end of the chosen kind (3 own engine, 4, 54, any other kind 5).
#pragma once

#include <string>
#include <string_view>

namespace mg {

bool SynthInit(int voice, int speed, int tone, int kind, const std::string& outputFile);
void SynthDone();
void SynthSpeak(std::string_view text);
bool SynthBusy(int argument);
void SynthStop();
int SynthKind();
// Lets every back-end read what it takes from the configuration once, when the program
// starts (the own engine's file locations); called by the first SpeechInit.
void SynthPrepare();

// What a back-end offers. Back-ends register themselves from their own .cpp file; a kind
// without one fails to start, which leaves the legacy path in use.
struct SynthBackend {
  bool (*start)(int voice, int speed, int tone, const std::string& outputFile) = nullptr;
  void (*end)() = nullptr;
  void (*speak)(std::string_view text) = nullptr;
  bool (*busy)(int argument) = nullptr;
  void (*stop)() = nullptr;
  void (*prepare)() = nullptr;  // optional, see SynthPrepare
};
// kind: 3, 4, 54 or 5 (5 stands for every other kind).
void RegisterSynthBackend(int kind, const SynthBackend& backend);

}  // namespace mg
