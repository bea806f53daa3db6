#include "wavheader.h"

#include <cstring>

namespace mg {
namespace {

void Put32(uint8_t* p, uint32_t v) {
  p[0] = v & 0xFF;
  p[1] = (v >> 8) & 0xFF;
  p[2] = (v >> 16) & 0xFF;
  p[3] = (v >> 24) & 0xFF;
}
void Put16(uint8_t* p, uint16_t v) {
  p[0] = v & 0xFF;
  p[1] = (v >> 8) & 0xFF;
}

void Write(uint8_t* d, uint32_t dataSize, uint32_t rate, uint16_t channels, uint16_t bits,
           uint16_t align) {
  std::memcpy(d, "RIFF", 4);
  Put32(d + 4, dataSize + 36);
  std::memcpy(d + 8, "WAVE", 4);
  std::memcpy(d + 12, "fmt ", 4);
  Put32(d + 16, 16);
  Put16(d + 20, 1);
  Put16(d + 22, channels);
  Put32(d + 24, rate);
  Put32(d + 28, rate * channels * (bits / 8));
  Put16(d + 32, align);
  Put16(d + 34, bits);
  std::memcpy(d + 36, "data", 4);
  Put32(d + 40, dataSize);
}

}  // namespace

void WriteWavHeader(uint8_t* dst, uint32_t dataSize, uint32_t rate, uint16_t channels,
                    uint16_t bits) {
  Write(dst, dataSize, rate, channels, bits, 1);
}

void WriteWavHeaderAligned(uint8_t* dst, uint32_t dataSize, uint32_t rate, uint16_t channels,
                           uint16_t bits) {
  Write(dst, dataSize, rate, channels, bits, static_cast<uint16_t>(channels * bits / 8));
}

std::vector<uint8_t> MakeWav(const std::vector<uint8_t>& samples, uint32_t rate,
                             uint16_t channels, uint16_t bits) {
  std::vector<uint8_t> out(kWavHeaderSize + samples.size());
  WriteWavHeaderAligned(out.data(), static_cast<uint32_t>(samples.size()), rate, channels, bits);
  if (!samples.empty()) std::memcpy(out.data() + kWavHeaderSize, samples.data(), samples.size());
  return out;
}

}  // namespace mg
