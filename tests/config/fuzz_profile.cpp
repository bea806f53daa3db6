// Any bytes as a Sonela.ini: the reader returns values or defaults, never crashes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "console/sysconfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/mg-fuzz-profile-" + std::to_string(getpid()) + ".ini";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  mg::FlushProfileCache();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string sec(text.substr(0, 8)), key(text.substr(size > 8 ? 8 : size, 8));
  (void)mg::ReadProfileString(sec, key, "d", path, 255);
  (void)mg::ReadProfileString("VIDEO", "TABCORES", "", path, 80);
  return 0;
}
