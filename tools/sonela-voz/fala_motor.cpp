// sonela-voz fala --voz motor TEXTO -o saida.wav: speaks a text through the own engine
// (text stages, MBROLA through the `mbrola` program) into a 16000 Hz, 16-bit mono WAV
// file, with the voice and data files the configuration names. With --velocidade N it
// speaks as the program does at speed index N (the table SERVFALA/VELOCIDADEn of
// Sonela.ini); without it, at the durations of the prosody file (factors 1).
#include <cstdio>
#include <string>

#include "common/cp1252.h"
#include "common/paths.h"
#include "engine/mbrola.h"
#include "engine/uttsOndal.h"
#include "speech/config.h"
#include "speech/ownengine.h"
#include "subcommand.h"

namespace mg::voz {

int FalaMotor(const std::string& texto, const std::string& saida, const std::string& dados,
              int indice) {
  const OndalSettings s = ReadOndalSettings();
  std::string dir = dados.empty() ? s.dir : Utf8ToCp1252(dados);
  if (dados.empty() && !DirectoryExists(ToLinuxPath(dir)))
    dir = ProgramDirectory() + "/../share/minigravador/ondal";
  if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
  const std::string base = dir + s.base;

  OndalArquivoSaida(Utf8ToCp1252(saida));
  if (!OndalInicia(s.mbrolaDb, base + ".nrl", base + ".exc", base + ".abr", base + ".pro",
                   base + ".dfn")) {
    std::string porque = OndalErro();
    if (porque.empty()) porque = lastErrorStr_MBR();
    if (porque.empty())
      porque =
          "o motor n\xe3o p\xf4"
          "de iniciar";
    std::fprintf(stderr, "sonela-voz fala: %s\n", Cp1252ToUtf8(porque).c_str());
    return 1;
  }
  if (indice != 0) {
    // The program's factors: tone and speed as SpeechInit gives them to the engine.
    const SynthSettings sintese = ReadSynthSettings();
    const int doMotor = sintese.kind == 3 ? sintese.speed : 0;
    OndalFatores(OwnEnginePitchFactor(sintese.kind == 3 ? sintese.tone : 0),
                 OwnEngineDurationFactor(ReadSynthSpeed(3, indice, doMotor)));
  }
  const bool ok = OndalFala(Utf8ToCp1252(texto));
  OndalTermina();
  if (!ok) {
    std::fprintf(stderr, "sonela-voz fala: a s\xc3\xadntese falhou (%s)\n",
                 Cp1252ToUtf8(lastErrorStr_MBR()).c_str());
    return 1;
  }
  return 0;
}

}  // namespace mg::voz
