// A stand-in for the `mbrola` program in the driver's tests, speaking its pipe protocol:
// `fake_mbrola -e VOICE - -.raw`. The voice must be a file starting with "VOZFALSA"
// (otherwise it exits as mbrola does with a bad database); words after it change its
// ways: "curta" makes every flushed section 10% shorter than its durations, "muda"
// writes nothing at all on standard error, "surda" starts but never reads. Input lines: ";
// comment", "#" (flush: every phone since the last flush is written, 16 samples per millisecond of
// its duration, sample value = its position in the phone, less the last 40 samples as the real one
// does), "NAME DUR [POS PITCH]...". Phones named "x<...>" are unknown: a warning on
// standard error and silence. A duration that is not a number ends the program with a
// fatal error, as mbrola does. The phone "dorme" makes it stop answering.
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
  char cabeca[64] = {};
  const size_t lidos = std::fread(cabeca, 1, sizeof cabeca - 1, voz);
  std::fclose(voz);
  if (lidos < 8 || std::memcmp(cabeca, "VOZFALSA", 8) != 0) {
    std::fprintf(stderr, "Database format error\n");
    return 215;
  }
  const bool curta = std::strstr(cabeca, "curta") != nullptr;
  const bool muda = std::strstr(cabeca, "muda") != nullptr;
  if (std::strstr(cabeca, "surda") != nullptr) {
    for (;;) pause();
  }
  std::vector<std::pair<int, bool>> fones;  // duration, known
  char linha[4096];
  while (std::fgets(linha, sizeof linha, stdin)) {
    char nome[256] = {};
    char dur[256] = {};
    const int campos = std::sscanf(linha, "%255s %255s", nome, dur);
    if (campos < 1 || nome[0] == ';') continue;
    if (std::strcmp(nome, "#") == 0) {
      // Written as it is made (stdio's buffer at a time), as mbrola streams its output.
      size_t total = 0;
      for (const auto& f : fones) total += static_cast<size_t>(f.first) * 16;
      size_t n = total > 40 ? total - 40 : 0;
      if (curta) n = total * 9 / 10;
      for (const auto& [d, conhecido] : fones)
        for (int i = 0; i < d * 16 && n > 0; ++i, --n) {
          const int16_t s = conhecido ? static_cast<int16_t>(i % 30000 + 1) : 0;
          std::fwrite(&s, 2, 1, stdout);
        }
      fones.clear();
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
    const bool conhecido = nome[0] != 'x';
    if (!conhecido && !muda)
      std::fprintf(stderr, "Warning: _-%s unknown, replaced with _-_\n", nome);
    fones.emplace_back(static_cast<int>(d), conhecido);
  }
  return 0;
}
