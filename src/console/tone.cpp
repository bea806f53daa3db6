// The tone signal and the bell on an SDL audio device of the console's own, in the
// tone's own format (11025 Hz, 8-bit unsigned, mono). Without a device: silence.
#include <SDL.h>

#include <vector>

#include "console/backend.h"
#include "console/tonewave.h"

namespace mg {
namespace {

SDL_AudioDeviceID gDevice = 0;
bool gDeviceFailed = false;
// Shared with the audio callback; changed only with the device locked.
std::vector<uint8_t> gSamples;
size_t gPosition = 0;
bool gLooping = false;

void Fill(void*, Uint8* stream, int length) {
  for (int i = 0; i < length; ++i) {
    if (gPosition >= gSamples.size()) {
      if (gLooping && !gSamples.empty()) {
        gPosition = 0;
      } else {
        stream[i] = 128;  // silence in 8-bit unsigned
        continue;
      }
    }
    stream[i] = gSamples[gPosition++];
  }
}

bool EnsureDevice() {
  if (gDevice != 0) return true;
  if (gDeviceFailed) return false;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    gDeviceFailed = true;
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(kToneRate);
  want.format = AUDIO_U8;
  want.channels = 1;
  want.samples = 512;
  want.callback = Fill;
  SDL_AudioSpec have{};
  gDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (gDevice == 0) gDeviceFailed = true;
  return gDevice != 0;
}

void Start(std::vector<uint8_t> samples, bool looping) {
  if (!EnsureDevice()) return;
  SDL_LockAudioDevice(gDevice);
  gSamples.swap(samples);
  gPosition = 0;
  gLooping = looping;
  SDL_UnlockAudioDevice(gDevice);
  SDL_PauseAudioDevice(gDevice, 0);
}

}  // namespace

void PlayTone(uint16_t frequency) {
  StopTone();
  const std::vector<uint8_t> wave = BuildToneWave(frequency);
  if (wave.size() <= 44) return;
  Start(std::vector<uint8_t>(wave.begin() + 44, wave.end()), true);
}

void StopTone() {
  if (gDevice == 0) return;
  SDL_PauseAudioDevice(gDevice, 1);
  std::vector<uint8_t> freed;
  SDL_LockAudioDevice(gDevice);
  gSamples.swap(freed);
  gPosition = 0;
  gLooping = false;
  SDL_UnlockAudioDevice(gDevice);
}

namespace backend {

void PlaySignal(const std::vector<uint16_t>& tones) {
  for (uint16_t f : tones) {
    PlayTone(f);
    PauseMs(200);
    StopTone();
  }
}

void ConsoleBeep() {
  // A short bell, unless a tone signal is sounding.
  if (gDevice != 0) {
    SDL_LockAudioDevice(gDevice);
    const bool busy = gLooping;
    SDL_UnlockAudioDevice(gDevice);
    if (busy) return;
  }
  std::vector<uint8_t> wave = BuildToneWave(880);
  const size_t length = kToneRate / 8;  // 125 ms
  if (wave.size() < 44 + length) return;
  Start(std::vector<uint8_t>(wave.begin() + 44, wave.begin() + 44 + length), false);
}

}  // namespace backend
}  // namespace mg
