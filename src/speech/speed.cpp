#include "speech/speed.h"

#include <string>

#include "audio/snwav.h"
#include "common/userstate.h"
#include "speech/config.h"
#include "speech/speech.h"

namespace mg {
namespace {

constexpr const char* kKey = "VELOCIDADE";

}  // namespace

int StoredSpeedIndex() {
  const std::optional<std::string> v = ReadUserState(kKey);
  if (!v || v->size() != 1 || (*v)[0] < '1' || (*v)[0] > '5') return 0;
  return (*v)[0] - '0';
}

bool StoreSpeedIndex(int speedIndex) {
  if (speedIndex < 0 || speedIndex > 5) return false;
  return WriteUserState(kKey, speedIndex == 0 ? std::string() : std::to_string(speedIndex));
}

int StartingSpeedIndex() {
  const int kept = StoredSpeedIndex();
  return kept != 0 ? kept : ReadSpeedIndex();
}

int SpeedIndexForKey(uint8_t key) {
  if (key <= '0') return 0;
  if (key <= '5') return key - '0';
  return 3;
}

void ChangeSpeechSpeed(uint8_t key) {
  const int chosen = SpeedIndexForKey(key);
  StoreSpeedIndex(chosen);
  const std::string directory = Speech().programSoundDirectory;
  const bool noWait = WavFlags().noWait;
  SpeechDone();
  SpeechInit(chosen, directory);
  WavFlags().noWait = noWait;
  SpeakText("Velocidade " + std::to_string(Speech().speedIndex));
}

}  // namespace mg
