// WAV files and images from outside: the chunk walk of TocaArquivo and TocaMemoria on
// any bytes. The sound system is absent on purpose, so every well-formed input ends at
// the device open with an error code: the parsing is what runs.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/snwav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool init = [] {
    setenv("SDL_AUDIODRIVER", "none-for-fuzzing", 1);
    return true;
  }();
  (void)init;
  static const std::string path = "/tmp/mg_fuzz_wav_" + std::to_string(getpid()) + ".wav";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    const int r = mg::TocaArquivo(path);
    if (r != 0 && r != -1 && r != mg::kWavErrBadFormat && r != mg::kWavErrNoDriver) std::abort();
  }
  const int r = mg::TocaMemoria(data, static_cast<uint32_t>(size));
  if (r != 0 && r != -1 && r != mg::kWavErrBadFormat && r != mg::kWavErrNoDriver) std::abort();
  return 0;
}
