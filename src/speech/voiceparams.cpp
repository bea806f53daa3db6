// Configuration handed on at start-up: voice parameters of a speed index and the
// low-vision settings.

#include "audio/snwav.h"
#include "console/console.h"
#include "legacy/sntradut.h"
#include "speech/config.h"
#include "speech/magnifier.h"
#include "speech/speech.h"

namespace mg {

void LoadVoiceParameters(int speedIndex) {
  const VoiceParameters v = ReadVoiceParameters(speedIndex);
  // DIFONESn is read but not used: the translator always loads its own database.
  AjustaParametros(v.trim, v.minimum, v.pauseWords);
  SnWavFlags& flags = WavFlags();
  flags.cutSpeech = v.cutSpeech;
  flags.slightlyFaster = v.slightlyFaster;
  SpeechState& st = Speech();
  st.pausePoint = v.pausePoint;
  st.pauseComma = v.pauseComma;
  st.pauseColon = v.pauseColon;
}

void LoadLowVisionSettings() {
  const LowVisionSettings lv = ReadLowVisionSettings();
  MagnifierSetColours(lv.letter, lv.background, lv.cursor);
  if (lv.zoom != 0) {
    ConsoleOpen();
    MagnifierMakeFont(1, lv.zoom);
  }
}

}  // namespace mg
