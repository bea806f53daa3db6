#include "speech/ownengine.h"

#include <chrono>
#include <optional>

#include "audio/snwav.h"
#include "console/console.h"
#include "engine/mbrola.h"
#include "engine/uttsOndal.h"
#include "speech/dispatch.h"

namespace mg {
namespace {

std::optional<OwnEngineLocations>& Locations() {
  static std::optional<OwnEngineLocations> locations;
  return locations;
}

OwnEngineLocations ReadLocations() {
  const OndalSettings s = ReadOndalSettings();
  OwnEngineLocations l;
  l.database = s.mbrolaDb;
  l.directory = s.dir;
  l.base = s.base;
  const std::string stem = l.directory + l.base;
  l.rules = stem + ".nrl";
  l.exceptions = stem + ".exc";
  l.abbreviations = stem + ".abr";
  l.prosody = stem + ".pro";
  l.diphones = stem + ".dfn";
  return l;
}

bool KeyStopsSound() { return WavFlags().keyInterrupt && KeyWaiting(); }

// The engine plays through snwav and gives way to a key, like every other sound.
void WireEngine() {
  TocadorOndal player;
  player.toca = [](const uint8_t* image, uint32_t size) { TocaMemoria(image, size); };
  player.para = ParaSom;
  player.tocando = Tocando;
  player.interrompido = KeyStopsSound;
  player.ligeiramenteRapido = &WavFlags().slightlyFaster;
  player.cortaFala = &WavFlags().cutSpeech;
  DefineTocadorOndal(std::move(player));
  DefineInterrupcaoMbrola(KeyStopsSound);
}

void Wake() { PostConsoleMessage(kMsgSynthWake); }

const bool kRegistered = [] {
  RegisterSynthBackend(
      3, SynthBackend{OwnEngineStart, OwnEngineEnd, OwnEngineSpeak, OwnEngineBusy, OwnEngineStop});
  return true;
}();

}  // namespace

const OwnEngineLocations& OwnEngineFiles() {
  if (!Locations()) Locations() = ReadLocations();
  return *Locations();
}

void ReloadOwnEngineFiles() { Locations() = ReadLocations(); }

double OwnEnginePitchFactor(int tone) { return (static_cast<double>(tone) + 11.0) / 11.0; }
double OwnEngineDurationFactor(int speed) { return 0.8 - static_cast<double>(speed) / 15.0; }

bool OwnEngineStart(int /*voice*/, int speed, int tone, const std::string& outputFile) {
  (void)kRegistered;
  const OwnEngineLocations& l = OwnEngineFiles();
  WireEngine();
  OndalArquivoSaida(outputFile);
  const bool ok =
      OndalInicia(l.database, l.rules, l.exceptions, l.abbreviations, l.prosody, l.diphones);
  OndalFatores(OwnEnginePitchFactor(tone), OwnEngineDurationFactor(speed));
  return ok;
}

void OwnEngineSpeak(std::string_view text) {
  OndalFala(text);
  Wake();
}

bool OwnEngineBusy(int /*argument*/) {
  bool busy = OndalFalando();
  if (KeyWaiting()) {
    OwnEngineStop();
    busy = false;
  }
  Wake();
  return busy;
}

void OwnEngineStop() {
  OndalPara();
  Wake();
}

void OwnEngineEnd() {
  // What is queued plays out (at most 16 buffers, about 4 s); a device that never
  // reports its buffers done must not hold the program.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (OwnEngineBusy(0) && std::chrono::steady_clock::now() < limit) PauseMs(500);
  OwnEngineStop();
  OndalTermina();
}

}  // namespace mg
