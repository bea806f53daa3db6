#include "console/tonewave.h"

#include "common/wavheader.h"

namespace mg {

std::vector<uint8_t> BuildToneWave(uint16_t frequency) {
  if (frequency == 0) return {};
  uint32_t period = kToneRate / frequency;
  if (period < 2) period = 2;
  const uint32_t low = period / 2;
  std::vector<uint8_t> wave(kWavHeaderSize);
  wave.reserve(kWavHeaderSize + kToneRate + 1);
  uint32_t samples = 0;
  while (samples + period <= kToneRate) {
    wave.insert(wave.end(), low, 96);
    wave.insert(wave.end(), period - low, 160);
    samples += period;
  }
  wave.push_back(128);
  WriteWavHeader(wave.data(), static_cast<uint32_t>(wave.size() - kWavHeaderSize), kToneRate, 1, 8);
  return wave;
}

}  // namespace mg
