#include "tests/audio/wav_test_util.h"

#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>

#include "audio/snwav.h"
#include "tests/config/tempdir.h"

namespace mg::test {

namespace {
std::string& DiskFile() {
  static std::string f;
  return f;
}

// The folders MakeTempDir made; each is removed with what it holds when the test
// program ends. A deque, for its elements never move.
std::deque<TempDir>& Made() {
  static std::deque<TempDir> made;
  return made;
}
}  // namespace

void UseDiskAudio(bool fast) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  if (fast) setenv("SDL_DISKAUDIODELAY", "1", 1);
}

std::string MakeTempDir() { return Made().emplace_back().path().string(); }

std::string NewDiskFile() {
  static std::string dir = MakeTempDir();
  static int n = 0;
  DiskFile() = dir + "/out" + std::to_string(++n) + ".raw";
  setenv("SDL_DISKAUDIOFILE", DiskFile().c_str(), 1);
  FechaSaida();
  return DiskFile();
}

std::vector<uint8_t> DeviceBytes() {
  FechaSaida();
  return ReadWhole(DiskFile());
}

std::vector<uint8_t> Sounding(const std::vector<uint8_t>& bytes, uint8_t silence) {
  size_t a = 0, b = bytes.size();
  while (a < b && bytes[a] == silence) ++a;
  while (b > a && bytes[b - 1] == silence) --b;
  return std::vector<uint8_t>(bytes.begin() + static_cast<long>(a),
                              bytes.begin() + static_cast<long>(b));
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> Samples8(size_t n, int seed) {
  std::vector<uint8_t> s(n);
  for (size_t i = 0; i < n; ++i)
    s[i] = static_cast<uint8_t>(20 + (i * 7 + static_cast<size_t>(seed) * 13) % 100);
  return s;
}

}  // namespace mg::test
