// Latency of the sound path as a user feels it, over the real console window:
//   echo   key typed (an SDL text event from another thread) -> first byte of its echo
//          handed to the audio device, while a long sound was playing;
//   stop   key typed while a long sound plays -> first silent period handed to the device;
//   start  SpeechInit -> first byte of the first SpeakLine (device opened cold each time).
// Usage: bench_latency [iterations]. Uses $SDL_AUDIODRIVER (default: disk, real-time
// paced, to a temporary file) and SDL_VIDEODRIVER=offscreen unless set.
// The legacy translator and the configuration are the test stand-ins: their own start-up
// time (loading rules and the unit database) is not part of "start".

#include <SDL.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "audio/snwav.h"
#include "common/wavheader.h"
#include "console/console.h"
#include "speech/speech.h"
#include "tests/audio/wav_test_util.h"
#include "tests/speech/fake_speech_deps.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int64_t> g_started{0};  // ns: first byte of the awaited block
std::atomic<int64_t> g_silent{0};   // ns: first silent period
std::atomic<int> g_awaitIndex{-1};
std::atomic<bool> g_awaitSilence{false};

int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

void OnBlockStarted(int index) {
  if (index == g_awaitIndex.load()) {
    int64_t zero = 0;
    g_started.compare_exchange_strong(zero, Now());
  }
}

void OnSilence() {
  if (g_awaitSilence.load()) {
    int64_t zero = 0;
    g_silent.compare_exchange_strong(zero, Now());
  }
}

Uint32 OurWindowId() {
  for (Uint32 id = 1; id < 64; ++id) {
    if (SDL_GetWindowFromID(id)) return id;
  }
  return 0;
}

// Types one character into the window from another thread after `delayMs`.
std::thread TypeLater(char c, int delayMs, std::atomic<int64_t>& typedAt) {
  return std::thread([c, delayMs, &typedAt] {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = OurWindowId();
    e.text.text[0] = c;
    typedAt.store(Now());
    SDL_PushEvent(&e);
  });
}

struct Stats {
  std::vector<double> ms;
  void Add(int64_t ns) { ms.push_back(static_cast<double>(ns) / 1e6); }
  void Print(const char* name, double target) {
    if (ms.empty()) {
      std::printf("%-6s no samples\n", name);
      return;
    }
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[static_cast<size_t>(q * (ms.size() - 1))]; };
    std::printf("%-6s n=%zu  median %.1f ms  p90 %.1f ms  max %.1f ms  (target %.0f ms)\n", name,
                ms.size(), at(0.5), at(0.9), ms.back(), target);
  }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace mg;
  const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  setenv("SDL_VIDEODRIVER", getenv("SDL_VIDEODRIVER") ? getenv("SDL_VIDEODRIVER") : "offscreen", 1);
  const std::string dir = test::MakeTempDir();
  if (!getenv("SDL_AUDIODRIVER")) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (dir + "/bench.raw").c_str(), 1);
  }
  const std::string letters = dir + "/letras";
  mkdir(letters.c_str(), 0755);
  test::WriteFile(letters + "/_65.wav", MakeWav(test::Samples8(1100), 11025, 1, 8));
  test::WriteFile(letters + "/_long.wav", MakeWav(test::Samples8(11025 * 5), 11025, 1, 8));
  std::string suite = "c:" + letters + "/";
  for (char& c : suite) {
    if (c == '/') c = '\\';
  }
  fake::Deps().lettersDir = suite;
  fake::Deps().dirLetras = suite;

  WavTrace().blockStarted = &OnBlockStarted;
  WavTrace().silenceStarted = &OnSilence;
  bool awaitNext = false;
  WavTrace().blockQueued = [&](const uint8_t*, uint32_t, int index) {
    if (awaitNext) {
      g_awaitIndex.store(index);
      awaitNext = false;
    }
  };

  ConsoleOpen();
  Stats start, echo, stop;
  std::cout << "Mini Gravador: medindo\r\n" << std::flush;

  for (int i = 0; i < iterations; ++i) {
    FechaSaida();  // cold device every time
    g_started = 0;
    awaitNext = true;
    const int64_t t0 = Now();
    SpeechInit(3, "");
    SpeakLine("A");  // the translator stand-in plays one block
    if (g_started.load()) start.Add(g_started.load() - t0);
    SpeechDone();
  }

  SpeechInit(3, "");
  for (int i = 0; i < iterations; ++i) {
    // Echo of a key typed while a long sound plays (the editor's no-wait mode).
    WavFlags().noWait = true;
    PlayRecorded("_long");
    g_started = 0;
    std::atomic<int64_t> typedAt{0};
    std::thread typist = TypeLater('A', 20 + (i * 7) % 25, typedAt);
    awaitNext = false;
    const uint8_t k = ReadKey();
    awaitNext = true;
    StopSpeech();
    SpeakChar(k);
    typist.join();
    WavFlags().noWait = false;
    WaitWhileSpeaking();
    if (g_started.load() && typedAt.load()) echo.Add(g_started.load() - typedAt.load());

    // Silence after a key typed while the program waits for a long sound to end.
    g_silent = 0;
    std::atomic<int64_t> typedAt2{0};
    g_awaitSilence = false;
    std::thread typist2 = TypeLater('B', 60 + (i * 11) % 30, typedAt2);
    std::thread arm([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
      g_awaitSilence = true;
    });
    PlayRecorded("_long");  // returns when the key stops it
    PauseMs(40);            // let the silence reach the device before the next sound
    typist2.join();
    arm.join();
    if (g_silent.load() && typedAt2.load()) stop.Add(g_silent.load() - typedAt2.load());
    g_awaitSilence = false;
    while (KeyWaiting()) ReadKey();
  }
  SpeechDone();

  std::printf("audio driver: %s\n",
              SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "none");
  echo.Print("echo", 30);
  stop.Print("stop", 10);
  start.Print("start", 200);
  FechaSaida();
  return 0;
}
