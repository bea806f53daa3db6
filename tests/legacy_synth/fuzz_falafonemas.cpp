// Fuzzes FalaFonemas with arbitrary phoneme strings over a small database; every block
// handed to the player must stay within the buffer and carry a matching header.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/wavheader.h"
#include "legacy/sntradut.h"
#include "legacy/unidades.h"

namespace {

void Check(const unsigned char* b, unsigned n) {
  if (n <= 44 || n > 63999) __builtin_trap();
  const uint32_t len = b[40] | (b[41] << 8) | (b[42] << 16) | (uint32_t(b[43]) << 24);
  if (len + 44 != n) __builtin_trap();
}

void Write(const std::filesystem::path& p, const std::vector<uint8_t>& v) {
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(v.size()));
}

std::filesystem::path& Dir() {
  static std::filesystem::path dir;
  return dir;
}

bool Setup() {
  Dir() = std::filesystem::temp_directory_path() / ("mg_fuzz_fala_" + std::to_string(getpid()));
  const auto& dir = Dir();
  std::filesystem::create_directories(dir / "letras");
  std::filesystem::create_directories(dir / "difones");
  std::vector<uint8_t> ind, dif;
  mg::BuildUnitDatabase({{"$KA", std::vector<uint8_t>(900, 10)},
                         {"$A", std::vector<uint8_t>(300, 20)},
                         {"$ACIRC", std::vector<uint8_t>(400, 30)},
                         {"$NN", std::vector<uint8_t>(200, 40)},
                         {"$LONGA", std::vector<uint8_t>(65535, 50)}},
                        ind, dif);
  Write(dir / "difones" / "DIFONES2.IND", ind);
  Write(dir / "difones" / "DIFONES2.DIF", dif);
  Write(dir / "difones" / "regras.rgr", {});
  Write(dir / "difones" / "portug.exc", {});
  Write(dir / "letras" / "_33.wav", mg::MakeWav(std::vector<uint8_t>(70000, 99), 11025, 1, 8));
  mg::SetBlockPlayer(Check);
  const bool ok = mg::IniciaTradutorEm((dir / "letras").string(), (dir / "difones").string()) == 0;
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(Dir(), ec);
  });
  return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = Setup();
  if (!ready) __builtin_trap();
  mg::FalaFonemas(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
