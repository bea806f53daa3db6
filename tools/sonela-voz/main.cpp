// sonela-voz: command-line access to the suite's voices (translation, phonemes, speech).
#include <cstdio>
#include <cstring>

#include "subcommand.h"

namespace mg::voz {
std::map<std::string, Entry>& Commands() {
  static std::map<std::string, Entry> table;
  return table;
}
}  // namespace mg::voz

int main(int argc, char** argv) {
  auto& cmds = mg::voz::Commands();
  if (argc < 2 || cmds.find(argv[1]) == cmds.end()) {
    std::fprintf(stderr, "uso: sonela-voz <comando> ...\n");
    for (const auto& [name, e] : cmds) std::fprintf(stderr, "  %s %s\n", name.c_str(), e.usage);
    return 2;
  }
  return cmds[argv[1]].run(argc - 1, argv + 1);
}
