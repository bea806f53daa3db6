// The canonical 44-byte PCM wave header that every in-memory sound block carries.
#pragma once

#include <cstdint>
#include <vector>

namespace mg {

constexpr int kWavHeaderSize = 44;

// Writes the header into dst[0..43]: RIFF size = dataSize + 36, fmt chunk of 16 bytes,
// PCM, block alignment 1 as the speech blocks (8-bit mono) use it.
void WriteWavHeader(uint8_t* dst, uint32_t dataSize, uint32_t rate, uint16_t channels,
                    uint16_t bits);

// Header for files the tools write: block alignment = channels * bits / 8.
void WriteWavHeaderAligned(uint8_t* dst, uint32_t dataSize, uint32_t rate, uint16_t channels,
                           uint16_t bits);

std::vector<uint8_t> MakeWav(const std::vector<uint8_t>& samples, uint32_t rate,
                             uint16_t channels, uint16_t bits);

}  // namespace mg
