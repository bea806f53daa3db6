// The small sounds (click, beep), in-memory wave blocks, and the speech observer.

#include <chrono>
#include <random>

#include "audio/snwav.h"
#include "common/wavheader.h"
#include "console/console.h"
#include "speech/speech.h"

namespace mg {
namespace {

constexpr uint32_t kClickSamples = 256;
constexpr uint32_t kBeepSamples = 512;

uint8_t g_click[kWavHeaderSize + kClickSamples];
uint8_t g_beep[kWavHeaderSize + kBeepSamples];

// The click: a short burst of noise, then silence; made once when the module starts.
bool MakeClick() {
  std::minstd_rand random(
      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::uniform_int_distribution<int> noise(0, 59);
  uint8_t* s = g_click + kWavHeaderSize;
  for (uint32_t i = 0; i < 64; ++i) s[i] = static_cast<uint8_t>(128 + noise(random));
  for (uint32_t i = 64; i < kClickSamples; ++i) s[i] = 128;
  return true;
}
const bool kClickMade = MakeClick();

SpeechObserver& Observer() {
  static SpeechObserver observer;
  return observer;
}

}  // namespace

void SetSpeechObserver(SpeechObserver observer) { Observer() = std::move(observer); }

void NoteSpeechEvent(const std::string& event) {
  if (Observer()) Observer()(event);
}

void WaitWhileSpeaking() {
  // The timeout only guards against a notice that never comes; buffer-done and stop
  // messages end each sleep at once.
  while (IsSpeaking()) WaitMessage(100);
}

void PlayWaveBlock(const uint8_t* block, uint32_t size) {
  WaitPendingSpeech();
  NoteSpeechEvent("block:" + std::to_string(size));
  TocaMemoria(block, size);
  WaitWhileSpeaking();
}

void SoundClick() {
  (void)kClickMade;
  WaitPendingSpeech();
  NoteSpeechEvent("click");
  SnWavFlags& flags = WavFlags();
  const bool cut = flags.cutSpeech;
  flags.cutSpeech = false;
  WriteWavHeader(g_click, kClickSamples, 11025, 1, 8);
  TocaMemoria(g_click, sizeof g_click);
  WaitWhileSpeaking();
  flags.cutSpeech = cut;
}

void SoundBeep() {
  WaitPendingSpeech();
  while (KeyWaiting()) ReadKey();  // the beep is a warning: typed-ahead keys are dropped
  NoteSpeechEvent("beep");
  static const uint8_t kWave[8] = {128, 112, 96, 80, 64, 80, 96, 112};
  uint8_t* s = g_beep + kWavHeaderSize;
  for (uint32_t i = 0; i < kBeepSamples; ++i) s[i] = kWave[i % 8];
  s[kBeepSamples - 1] = 128;
  WriteWavHeader(g_beep, kBeepSamples, 11025, 1, 8);
  TocaMemoria(g_beep, sizeof g_beep);
  WaitWhileSpeaking();
}

}  // namespace mg
