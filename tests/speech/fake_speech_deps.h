// Stand-ins for the legacy translator, the configuration and the magnifier in the speech
// tests: settable answers, and a record of what the speech manager asked of them.
#pragma once

#include <string>
#include <vector>

#include "speech/config.h"

namespace mg::fake {

struct SpeechDeps {
  // Translator.
  int startCode = 0;
  int starts = 0, closes = 0;
  std::string lettersDir;                  // DiretorioLetras()
  std::vector<std::string> translated;     // TraduzTexto inputs
  std::vector<std::string> phonemes;       // FalaFonemas inputs
  std::vector<std::vector<int>> adjusted;  // AjustaParametros arguments
  bool blockPlayerSet = false;
  // Configuration.
  bool legado = false;
  bool fallback = true;
  int speedIndex = 3;
  std::string dirLetras;
  bool sapi = false;
  SynthSettings synth;
  VoiceParameters voice;
  std::vector<int> voiceReads;
  LowVisionSettings lowVision;
  // Magnifier.
  std::vector<int> colours;
  int fontRow = 0, fontZoom = 0;
};

SpeechDeps& Deps();

}  // namespace mg::fake
