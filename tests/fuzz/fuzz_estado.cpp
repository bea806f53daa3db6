// Any bytes as the user's state file: every key reads as a value or nothing, and writing
// one key keeps what every other key read before.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/userstate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string home = [] {
    const std::string d = "/tmp/mg-fuzz-estado-" + std::to_string(getpid());
    std::filesystem::create_directories(d + "/minigravador");
    setenv("XDG_CONFIG_HOME", d.c_str(), 1);
    return d;
  }();
  FILE* f = std::fopen(mg::UserStatePath().c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  const std::optional<std::string> folder = mg::ReadUserState("ULTIMO_DIRETORIO");
  if (!mg::WriteUserState("VELOCIDADE", "7")) std::abort();
  if (mg::ReadUserState("VELOCIDADE") != std::optional<std::string>("7")) std::abort();
  if (mg::ReadUserState("ULTIMO_DIRETORIO") != folder) std::abort();
  return 0;
}
