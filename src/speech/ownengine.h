// The own-engine adapter: the dispatcher's kind 3, over the engine of uttsOndal. It
// takes the engine's file locations from Sonela.ini (read once, when the program starts:
// the first SpeechInit, before SONELA/LEGADO turns the fallback file off),
// turns the speech manager's speed and tone into the engine's two factors, and wires
// the engine to the audio output and the key buffer. Main thread only.
#pragma once

#include <string>
#include <string_view>

#include "speech/config.h"

namespace mg {

// The back-end's five operations, as the dispatcher calls them. OwnEngineSpeak returns
// once the text's sound is queued with the audio output; OwnEngineBusy answers whether
// it still plays, and stops it when a key is waiting.
bool OwnEngineStart(int voice, int speed, int tone, const std::string& outputFile);
void OwnEngineEnd();
void OwnEngineSpeak(std::string_view text);
bool OwnEngineBusy(int argument);
void OwnEngineStop();

// The engine's files: database name, data directory (ends in "\"), base name, and the
// five data file paths (directory + base + ".nrl", ".exc", ".abr", ".pro", ".dfn").
struct OwnEngineLocations {
  std::string database, directory, base;
  std::string rules, exceptions, abbreviations, prosody, diphones;
};
const OwnEngineLocations& OwnEngineFiles();
// Reads the locations again (tests; the program reads them once).
void ReloadOwnEngineFiles();

// The factors for a speed and tone: pitch (t + 11) / 11, duration 0.8 - s / 15.
inline double OwnEnginePitchFactor(int tone) { return (static_cast<double>(tone) + 11.0) / 11.0; }
inline double OwnEngineDurationFactor(int speed) { return 0.8 - static_cast<double>(speed) / 15.0; }

}  // namespace mg
