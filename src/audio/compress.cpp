// Cut-speech compression: drops roughly every other pitch period of a block of speech,
// cutting from one waveform peak to a peak two periods on.

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "audio/snwav.h"

namespace mg {
namespace {

// Position of the largest sample in [from, to] (the first of equals), within the block.
uint32_t PeakIn(const uint8_t* d, uint32_t length, uint32_t from, uint32_t to) {
  to = std::min(to, length - 1);
  uint32_t best = from;
  for (uint32_t i = from + 1; i <= to; ++i) {
    if (d[i] > d[best]) best = i;
  }
  return best;
}

}  // namespace

uint32_t ComprimeBloco(uint8_t* data, uint32_t length, uint16_t bits, uint32_t rate) {
  if (bits == 16) {
    // High byte with the sign bit flipped: signed 16-bit to unsigned 8-bit.
    const uint32_t samples = length / 2;
    for (uint32_t k = 0; k < samples; ++k) data[k] = static_cast<uint8_t>(data[2 * k + 1] ^ 0x80);
    length = samples;
  }
  if (length < 1000) return length;
  uint32_t offset = 80, width = 50, start = 200;
  if (rate != 11025) {
    offset *= 4;
    width *= 4;
    start *= 4;
  }
  if (start >= length) return length;
  uint32_t read = PeakIn(data, length, start, start + offset + width);
  uint32_t write = read;
  const uint32_t span = 2 * (offset + width);
  while (length > span && read < length - span) {
    const uint32_t m1 = PeakIn(data, length, read + offset, read + offset + width);
    const uint32_t m2 = PeakIn(data, length, m1 + offset, m1 + offset + width);
    const uint32_t n = m2 - m1 + 1;
    std::memmove(data + write, data + m1, n);
    write += n;
    read = m2;
  }
  // Finish the period in progress so that the block does not end on a jump.
  while (read < length && write < length && std::abs(static_cast<int>(data[write]) - 128) > 20) {
    data[write++] = data[read++];
  }
  return write;
}

}  // namespace mg
