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

// sonela-voz fala --voz motor: the text (UTF-8) through the own engine into `saida`
// (UTF-8 path); `dados` the engine's data folder, empty for the configured one; `indice`
// the speed index 1-5, 0 for the prosody file's own durations.
int FalaMotor(const std::string& texto, const std::string& saida, const std::string& dados,
              int indice);
// The value of --velocidade: a speed index 1-5; 0 (after a message) when it is none.
int IndiceDeVelocidade(const std::string& valor);

struct Register {
  Register(const char* name, Command run, const char* usage) {
    Commands()[name] = Entry{run, usage};
  }
};

}  // namespace mg::voz
