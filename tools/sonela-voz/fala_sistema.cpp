// sonela-voz fala --voz espeak|sd|sd54 TEXTO [-o saida.wav]: speaks a text through one
// system voice by itself: espeak (kind 4, espeak-ng in-process), sd (kind 5, the default
// module of speech-dispatcher) or sd54 (kind 54, SERVFALA/MODULO54). espeak plays on the
// sound device or, with -o, writes a WAV file; speech-dispatcher plays through its own
// sound output and cannot write a file.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/cp1252.h"
#include "console/console.h"
#include "sapi/snSapi5.h"
#include "sapi/snsapi4.h"
#include "speech/config.h"
#include "subcommand.h"

namespace mg::voz {

int FalaSistema(int argc, char** argv) {
  std::string voz, out, text;
  int voice = 0, pitch = 0, index = 3;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
    if (a == "--voz") {
      voz = next();
    } else if (a == "-o") {
      out = next();
    } else if (a == "--numero") {
      voice = std::atoi(next().c_str());
    } else if (a == "--velocidade") {
      if ((index = IndiceDeVelocidade(next())) == 0) return 2;
    } else if (a == "--tom") {
      pitch = std::atoi(next().c_str());
    } else {
      text += (text.empty() ? "" : " ") + a;
    }
  }
  const std::string cp = Utf8ToCp1252(text);
  // The speed of index `index` for this voice's kind, from the table of Sonela.ini;
  // VELOCIDADE counts for index 3 only when it was written for this kind.
  const int kind = voz == "espeak" ? 4 : (voz == "sd54" ? 54 : 5);
  const SynthSettings configured = ReadSynthSettings();
  const bool sameKind = configured.kind == kind || (kind == 5 && configured.kind != 3 &&
                                                    configured.kind != 4 && configured.kind != 54);
  const int speed = ReadSynthSpeed(kind, index, sameKind ? configured.speed : 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(10);
  auto waiting = [&](bool busy) { return busy && std::chrono::steady_clock::now() < deadline; };
  if (voz == "espeak") {
    if (!Sapi4Init(voice, speed, pitch, out)) {
      std::fprintf(stderr, "fala: a voz espeak-ng n\xc3\xa3o iniciou\n");
      return 1;
    }
    Sapi4Speak(cp);
    while (waiting(Sapi4Busy(false))) PauseMs(10);
    Sapi4Done();
    std::printf("espeak-ng: %s\n", Cp1252ToUtf8(Sapi4VoiceName()).c_str());
    return 0;
  }
  if (!out.empty()) {
    std::fprintf(stderr, "fala: a voz %s fala pelo speech-dispatcher e n\xc3\xa3o grava arquivo\n",
                 voz.c_str());
    return 2;
  }
  const bool k54 = voz == "sd54";
  if (!(k54 ? Sapi54Init(voice, speed) : Sapi5Init(voice, speed))) {
    std::fprintf(stderr,
                 "fala: o speech-dispatcher n\xc3\xa3o respondeu ou falta o m\xc3\xb3"
                 "dulo\n");
    return 1;
  }
  k54 ? Sapi54Speak(cp) : Sapi5Speak(cp);
  while (waiting(k54 ? Sapi54Busy() : Sapi5Busy())) PauseMs(10);
  k54 ? Sapi54Done() : Sapi5Done();
  return 0;
}

}  // namespace mg::voz
