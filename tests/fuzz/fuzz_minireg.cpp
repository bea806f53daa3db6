// Any bytes as minireg.ini, looked up with paths taken from the same bytes: a value is
// found or not, never a crash; a found value holds no line break.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/sysconfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    const std::string p = "/tmp/mg-fuzz-minireg-" + std::to_string(getpid()) + ".ini";
    setenv("MINIREG_FILE", p.c_str(), 1);
    return p;
  }();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  mg::FlushProfileCache();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // The first line, with its brackets dropped, as a key path of the file's own.
  std::string_view first = text.substr(0, text.find('\n'));
  if (first.starts_with('[')) first.remove_prefix(1);
  first = first.substr(0, first.find(']'));
  for (const std::string& p :
       {std::string(first) + "\\@", std::string(first), std::string("Software\\Sonela\\VOZ")}) {
    for (mg::RegistryRoot root : {mg::RegistryRoot::CurrentUser, mg::RegistryRoot::LocalMachine}) {
      std::string value;
      if (mg::ReadRegistryString(root, p, value) && value.find('\n') != std::string::npos)
        std::abort();
    }
  }
  return 0;
}
