// Subcommands of sonela-voz register themselves: each lives in a file of its own.
#pragma once

#include <map>
#include <string>

namespace mg::voz {

using Command = int (*)(int argc, char** argv);  // argv[0] is the subcommand's name

struct Entry {
  Command run;
  const char* usage;
};
std::map<std::string, Entry>& Commands();

struct Register {
  Register(const char* name, Command run, const char* usage) {
    Commands()[name] = Entry{run, usage};
  }
};

}  // namespace mg::voz
