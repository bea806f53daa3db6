#include "speech/dispatch.h"

#include <map>

#include "console/console.h"

namespace mg {
namespace {

int g_kind = 5;

std::map<int, SynthBackend>& Backends() {
  static std::map<int, SynthBackend> backends;
  return backends;
}

int Slot(int kind) { return (kind == 3 || kind == 4 || kind == 54) ? kind : 5; }

const SynthBackend* Current() {
  const auto it = Backends().find(Slot(g_kind));
  if (it == Backends().end() || !it->second.start) return nullptr;
  return &it->second;
}

}  // namespace

void RegisterSynthBackend(int kind, const SynthBackend& backend) {
  Backends()[Slot(kind)] = backend;
}

int SynthKind() { return g_kind; }

void SynthPrepare() {
  for (const auto& [kind, backend] : Backends())
    if (backend.prepare) backend.prepare();
}

bool SynthInit(int voice, int speed, int tone, int kind, const std::string& outputFile) {
  g_kind = kind;
  const SynthBackend* b = Current();
  if (!b) return false;
  const bool ok = b->start(voice, speed, tone, outputFile);
  if (ok) {
    // Let the back-end settle; one that never does must not hold the program forever.
    for (int waited = 0; SynthBusy(1) && waited < 15000; waited += 50) PauseMs(50);
  }
  return ok;
}

void SynthDone() {
  if (const SynthBackend* b = Current(); b && b->end) b->end();
}

void SynthSpeak(std::string_view text) {
  if (const SynthBackend* b = Current(); b && b->speak) b->speak(text);
}

bool SynthBusy(int argument) {
  PumpMessages();
  const SynthBackend* b = Current();
  return b && b->busy && b->busy(argument);
}

void SynthStop() {
  if (const SynthBackend* b = Current(); b && b->stop) b->stop();
}

}  // namespace mg
