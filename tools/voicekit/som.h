// Sound processing of the voice kit: resampling espeak-ng's 16-bit output to the legacy
// format (8-bit unsigned mono, 11025 Hz), trimming silence, and dial tones.
#pragma once

#include <cstdint>
#include <vector>

namespace mg::kit {

// Windowed-sinc resampling with a low-pass below the lower Nyquist frequency.
std::vector<int16_t> Resample(const std::vector<int16_t>& in, uint32_t fromRate, uint32_t toRate);

// Drops leading and trailing stretches below the threshold, keeping `marginSamples`
// of them at each end.
std::vector<int16_t> TrimSilence(const std::vector<int16_t>& in, int threshold, int marginSamples);

// Linear fades of n samples at both ends, against clicks when units are joined.
void Fade(std::vector<int16_t>& s, int n);

// 16-bit to 8-bit unsigned with rounding and clipping, after a gain.
std::vector<uint8_t> ToU8(const std::vector<int16_t>& in, double gain);

// A dual-tone multi-frequency signal of the given length, with short fades.
std::vector<uint8_t> DualTone(double lowHz, double highHz, int samples, uint32_t rate);

}  // namespace mg::kit
