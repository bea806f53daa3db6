// The looping tone signal: an 8-bit square wave at 11025 samples per second.
#pragma once

#include <cstdint>
#include <vector>

namespace mg {

constexpr uint32_t kToneRate = 11025;

// A complete RIFF/WAVE image (44-byte header): whole periods of 96 then 160 (half a
// period each) filling at most one second, then one sample of 128. Frequencies above
// half the sample rate give the highest tone the rate can carry; 0 gives no sound
// (an empty result).
std::vector<uint8_t> BuildToneWave(uint16_t frequency);

}  // namespace mg
