#include "tests/speech/fake_speech_deps.h"

#include "common/wavheader.h"
#include "legacy/sninter.h"
#include "legacy/sntradut.h"
#include "speech/magnifier.h"
#include "speech/speech.h"

namespace mg {

namespace fake {
SpeechDeps& Deps() {
  static SpeechDeps d;
  return d;
}
}  // namespace fake

using fake::Deps;

// ---- legacy translator
namespace {
BlockPlayer g_player = nullptr;
}
int IniciaTradutor() {
  ++Deps().starts;
  return Deps().startCode;
}
void FechaTradutor() { ++Deps().closes; }
void AjustaParametros(int trim, int minimum, int pauseBetweenWords) {
  Deps().adjusted.push_back({trim, minimum, pauseBetweenWords});
}
std::string TraduzTexto(std::string_view text) {
  Deps().translated.emplace_back(text);
  NoteSpeechEvent("translate:" + std::string(text));
  return "[" + std::string(text) + "]";
}
void FalaFonemas(std::string_view phonemeString) {
  Deps().phonemes.emplace_back(phonemeString);
  // The real synthesizer hands its sound buffer to the block player: do the same with a
  // short block, so the tests hear the translator's turn in the order of sounds.
  if (g_player) {
    static unsigned char block[kWavHeaderSize + 300];
    WriteWavHeader(block, 300, 11025, 1, 8);
    for (int i = kWavHeaderSize; i < kWavHeaderSize + 300; ++i) block[i] = 60;
    g_player(block, sizeof block);
  }
}
void SetBlockPlayer(BlockPlayer player) {
  g_player = player;
  Deps().blockPlayerSet = player != nullptr;
}
std::string NomeBancoDeVoz() { return "DIFONES2"; }
std::string DiretorioLetras() { return Deps().lettersDir; }

// ---- configuration
void SetLegacyFallback(bool on) { Deps().fallback = on; }
bool LegacyFallback() { return Deps().fallback; }
bool ReadLegado() { return Deps().legado; }
int ReadSpeedIndex() { return Deps().speedIndex; }
std::string ReadLettersDirectory() { return Deps().dirLetras; }
bool ReadSapiSelected() { return Deps().sapi; }
SynthSettings ReadSynthSettings() { return Deps().synth; }
// Index 3 is the configured speed; the others are told apart by a value of their own.
int ReadSynthSpeed(int kind, int speedIndex, int configuredSpeed) {
  return speedIndex == 3 ? configuredSpeed : 1000 * kind + speedIndex;
}
VoiceParameters ReadVoiceParameters(int speedIndex) {
  Deps().voiceReads.push_back(speedIndex);
  return Deps().voice;
}
LowVisionSettings ReadLowVisionSettings() { return Deps().lowVision; }

// ---- magnifier
void MagnifierSetColours(int letter, int background, int cursor) {
  Deps().colours = {letter, background, cursor};
}
void MagnifierMakeFont(int row, int zoom) {
  Deps().fontRow = row;
  Deps().fontZoom = zoom;
}

}  // namespace mg
