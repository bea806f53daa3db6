// The speech speed index the user chooses with Ctrl+F4, kept between runs in the user's
// state file (key VELOCIDADE), never in Sonela.ini. Main thread only.
#pragma once

#include <cstdint>

namespace mg {

// The index kept from an earlier run (1-5), or 0 when none is kept or the value is not
// one of them.
int StoredSpeedIndex();
// Keeps index 1-5 for the next runs; 0 forgets it (the configuration's speed applies
// again). False when the state file cannot be written (the speed still changes now).
bool StoreSpeedIndex(int speedIndex);

// The index SpeechInit starts with when its argument is 0 or less: the kept one, else
// TRADUTOR/VELOCIDADE (1-5, else 3).
int StartingSpeedIndex();

// The index chosen by the key typed after Ctrl+F4: "1"-"5" that index; "0" and codes
// below it 0 (the configured speed); any other key 3.
int SpeedIndexForKey(uint8_t key);

// Ctrl+F4 after its key: keeps the choice, starts speech again at the new index with the
// same program sound directory, and says "Velocidade N" in the new voice.
void ChangeSpeechSpeed(uint8_t key);

}  // namespace mg
