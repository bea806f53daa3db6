// Helpers shared by the sound and speech tests: temporary folders, WAV files, and the
// bytes SDL's disk driver wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mg::test {

// Selects SDL's disk driver (call before the first sound); `fast` lets it run faster
// than real time, which changes no byte it writes.
void UseDiskAudio(bool fast);
// A fresh file for the disk driver; takes effect at the next device open.
std::string NewDiskFile();
// Closes the device and returns what reached it.
std::vector<uint8_t> DeviceBytes();
// The device bytes from the first to the last one that is not `silence`.
std::vector<uint8_t> Sounding(const std::vector<uint8_t>& bytes, uint8_t silence);

// A fresh folder under /tmp, removed with its contents when the test program ends.
std::string MakeTempDir();
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadWhole(const std::string& path);
// An 8-bit mono WAV of n samples, none of them 128, varying with `seed`.
std::vector<uint8_t> Samples8(size_t n, int seed = 0);

}  // namespace mg::test
