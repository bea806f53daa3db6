#include "som.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mg::kit {

std::vector<int16_t> Resample(const std::vector<int16_t>& in, uint32_t fromRate, uint32_t toRate) {
  if (fromRate == toRate || in.empty()) return in;
  const double ratio = static_cast<double>(fromRate) / toRate;
  // Cut-off at 90 % of the lower Nyquist frequency, Hann-windowed sinc of 16 zero crossings.
  const double cutoff = 0.9 * std::min(1.0, 1.0 / ratio);
  const int half = static_cast<int>(std::ceil(16 / cutoff));
  const size_t outCount = static_cast<size_t>(static_cast<uint64_t>(in.size()) * toRate / fromRate);
  std::vector<int16_t> out(outCount);
  const long n = static_cast<long>(in.size());
  for (size_t i = 0; i < outCount; ++i) {
    const double center = static_cast<double>(i) * ratio;
    const long c = static_cast<long>(std::floor(center));
    double acc = 0, norm = 0;
    for (long k = c - half + 1; k <= c + half; ++k) {
      const double t = static_cast<double>(k) - center;
      const double x = t * cutoff;
      const double sinc = x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
      const double w = 0.5 + 0.5 * std::cos(std::numbers::pi * t / (half + 1));
      const double h = sinc * w;
      norm += h;
      if (k >= 0 && k < n) acc += h * in[static_cast<size_t>(k)];
    }
    const long v = std::lround(norm != 0 ? acc / norm : 0);
    out[i] = static_cast<int16_t>(std::clamp(v, -32768L, 32767L));
  }
  return out;
}

std::vector<int16_t> TrimSilence(const std::vector<int16_t>& in, int threshold, int marginSamples) {
  long first = -1, last = -1;
  for (size_t i = 0; i < in.size(); ++i) {
    if (std::abs(in[i]) > threshold) {
      if (first < 0) first = static_cast<long>(i);
      last = static_cast<long>(i);
    }
  }
  if (first < 0) return {};
  first = std::max(0L, first - marginSamples);
  last = std::min(static_cast<long>(in.size()) - 1, last + marginSamples);
  return std::vector<int16_t>(in.begin() + first, in.begin() + last + 1);
}

void Fade(std::vector<int16_t>& s, int n) {
  const int len = static_cast<int>(s.size());
  n = std::min(n, len / 2);
  for (int i = 0; i < n; ++i) {
    const double g = static_cast<double>(i) / n;
    s[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(s[static_cast<size_t>(i)] * g));
    auto& e = s[static_cast<size_t>(len - 1 - i)];
    e = static_cast<int16_t>(std::lround(e * g));
  }
}

std::vector<uint8_t> ToU8(const std::vector<int16_t>& in, double gain) {
  std::vector<uint8_t> out(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    const long v = std::lround(in[i] * gain / 256.0) + 128;
    out[i] = static_cast<uint8_t>(std::clamp(v, 0L, 255L));
  }
  return out;
}

std::vector<uint8_t> DualTone(double lowHz, double highHz, int samples, uint32_t rate) {
  std::vector<uint8_t> out(static_cast<size_t>(std::max(samples, 0)));
  const int fade = std::min(samples / 4, static_cast<int>(rate / 200));  // 5 ms
  for (int i = 0; i < samples; ++i) {
    const double t = static_cast<double>(i) / rate;
    double v = 0.5 * std::sin(2 * std::numbers::pi * lowHz * t) +
               0.5 * std::sin(2 * std::numbers::pi * highHz * t);
    if (fade > 0) {
      if (i < fade) v *= static_cast<double>(i) / fade;
      if (samples - 1 - i < fade) v *= static_cast<double>(samples - 1 - i) / fade;
    }
    out[static_cast<size_t>(i)] =
        static_cast<uint8_t>(std::clamp(std::lround(128 + 100 * v), 0L, 255L));
  }
  return out;
}

}  // namespace mg::kit
