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

// What OwnEngineBusy answered last: the wake-up goes out when the answer changes, not
// with every question (a waiter asks again as soon as it is woken, and would spin).
bool g_lastBusy = false;

void Prepare() { (void)OwnEngineFiles(); }

const bool kRegistered = [] {
  SynthBackend b{OwnEngineStart, OwnEngineEnd, OwnEngineSpeak, OwnEngineBusy, OwnEngineStop};
  b.prepare = Prepare;
  RegisterSynthBackend(3, b);
  return true;
}();

}  // namespace

const OwnEngineLocations& OwnEngineFiles() {
  if (!Locations()) Locations() = ReadLocations();
  return *Locations();
}

void ReloadOwnEngineFiles() { Locations() = ReadLocations(); }

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
  g_lastBusy = OndalFalando();
  Wake();
}

// While sound plays, every finished buffer posts the audio output's own message, and a
// key or StopSpeech posts theirs, so a waiter sleeps until one of them comes.
bool OwnEngineBusy(int /*argument*/) {
  bool busy = OndalFalando();
  if (KeyWaiting()) {
    OwnEngineStop();
    busy = false;
  }
  if (busy != g_lastBusy) {
    g_lastBusy = busy;
    Wake();
  }
  return busy;
}

void OwnEngineStop() {
  OndalPara();
  g_lastBusy = false;
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
