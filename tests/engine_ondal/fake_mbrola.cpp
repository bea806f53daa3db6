// A stand-in for the `mbrola` program in the driver's tests, speaking its pipe protocol:
// `fake_mbrola -e VOICE - -.raw`. The voice must be a file starting with "VOZFALSA"
// (otherwise it exits as mbrola does with a bad database). Input lines: "; comment",
// "#" (flush: every phone since the last flush is written, 16 samples per millisecond
// of its duration, sample value = its position in the phone), "NAME DUR [POS PITCH]...".
// Phones named "mgfim<N>" or "x<...>" are unknown: a warning on standard error, no
// samples. A duration that is not a number ends the program with a fatal error, as
// mbrola does. The phone "dorme" makes it stop answering.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 5 || std::strcmp(argv[1], "-e") != 0) return 2;
  FILE* voz = std::fopen(argv[2], "rb");
  if (!voz) {
    std::fprintf(stderr, "FATAL ERROR : cannot find file %s !\n", argv[2]);
    return 216;
  }
  char cabeca[8] = {};
  const bool boa = std::fread(cabeca, 1, 8, voz) == 8 && std::memcmp(cabeca, "VOZFALSA", 8) == 0;
  std::fclose(voz);
  if (!boa) {
    std::fprintf(stderr, "Database format error\n");
    return 215;
  }
  std::vector<int> duracoes;
  char linha[4096];
  while (std::fgets(linha, sizeof linha, stdin)) {
    char nome[256] = {};
    char dur[256] = {};
    const int campos = std::sscanf(linha, "%255s %255s", nome, dur);
    if (campos < 1 || nome[0] == ';') continue;
    if (std::strcmp(nome, "#") == 0) {
      for (int d : duracoes)
        for (int i = 0; i < d * 16; ++i) {
          const int16_t s = static_cast<int16_t>(i % 30000 + 1);
          std::fwrite(&s, 2, 1, stdout);
        }
      duracoes.clear();
      std::fflush(stdout);
      continue;
    }
    char* fim = nullptr;
    const long d = campos == 2 ? std::strtol(dur, &fim, 10) : -1;
    if (campos < 2 || *fim != '\0' || d < 0) {
      std::fprintf(stderr, "Fatal error in line:%s\n", linha);
      return 253;
    }
    if (std::strcmp(nome, "dorme") == 0) {
      for (;;) pause();
    }
    if (std::strncmp(nome, "mgfim", 5) == 0 || nome[0] == 'x') {
      std::fprintf(stderr, "Warning: _-%s unknown, replaced with _-_\n", nome);
      continue;
    }
    duracoes.push_back(static_cast<int>(d));
  }
  return 0;
}
