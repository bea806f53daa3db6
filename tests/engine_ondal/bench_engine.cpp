// Latency of the own engine as a user hears it, over the real console window, speech
// manager and engine with the build tree's shipped Sonela.ini (SAPI=S, TIPOSAPI=3) and
// the installed mbrola and br4:
//   speak  SpeakLine("Insira o CD e aperte Enter quando pronto") -> its first sample
//          handed to the audio device (device already open); "queued": SpeakLine has
//          returned, the whole prompt synthesized and with the player;
//   stop   a key typed while the engine speaks a long text -> first silent period handed
//          to the device.
// Usage: bench_engine [runs]. Uses $SDL_AUDIODRIVER (default: disk, real-time paced, to
// a temporary file) and SDL_VIDEODRIVER=offscreen unless set.
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio/snwav.h"
#include "console/console.h"
#include "speech/speech.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int64_t> g_started{0}, g_silent{0};
std::atomic<int> g_awaitIndex{-1};
std::atomic<bool> g_awaitSilence{false};

int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

void OnBlockStarted(int index) {
  int64_t zero = 0;
  if (index == g_awaitIndex.load()) g_started.compare_exchange_strong(zero, Now());
}

void OnSilence() {
  int64_t zero = 0;
  if (g_awaitSilence.load()) g_silent.compare_exchange_strong(zero, Now());
}

Uint32 OurWindowId() {
  for (Uint32 id = 1; id < 64; ++id)
    if (SDL_GetWindowFromID(id)) return id;
  return 0;
}

std::thread TypeLater(int delayMs, std::atomic<int64_t>& typedAt) {
  return std::thread([delayMs, &typedAt] {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = OurWindowId();
    e.text.text[0] = 'x';
    typedAt.store(Now());
    SDL_PushEvent(&e);
  });
}

void Print(const char* name, std::vector<double> ms, double target) {
  if (ms.empty()) {
    std::printf("%-6s no samples\n", name);
    return;
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%-6s n=%zu  median %.1f ms  p90 %.1f ms  max %.1f ms  (target %.0f ms)\n", name,
              ms.size(), ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back(), target);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace mg;
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  char tmpl[] = "/tmp/mg_bench_engine_XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);  // the shipped Sonela.ini of the build tree
  if (!getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
  if (!getenv("SDL_AUDIODRIVER")) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (dir + "/bench.raw").c_str(), 1);
  }
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
  SpeechInit(0, "");
  if (!Speech().systemSynthActive || Speech().synthKind != 3) {
    std::printf("the own engine did not start (mbrola and br4 installed?)\n");
    return 1;
  }
  SpeakLine("Medindo.");
  WaitWhileSpeaking();

  std::vector<double> speak, queued, stop;
  for (int i = 0; i < runs; ++i) {
    g_started = 0;
    g_awaitIndex = -1;
    awaitNext = true;
    const int64_t t0 = Now();
    SpeakLine("Insira o CD e aperte Enter quando pronto");
    queued.push_back(static_cast<double>(Now() - t0) / 1e6);
    const auto limit = Clock::now() + std::chrono::seconds(2);
    while (!g_started.load() && Clock::now() < limit) PauseMs(1);
    if (g_started.load()) speak.push_back(static_cast<double>(g_started.load() - t0) / 1e6);
    StopSpeech();
    while (KeyWaiting()) ReadKey();
    WaitWhileSpeaking();
  }
  const std::string longText =
      "Preparando a grava\xe7\xe3o, aguarde. Os arquivos do diret\xf3rio ser\xe3o gravados no "
      "disco e depois conferidos, um por um, antes de o disco sair do gravador, e ent\xe3o o "
      "programa diz quantos arquivos foram gravados e quanto espa\xe7o ainda resta no disco.";
  for (int i = 0; i < runs; ++i) {
    g_silent = 0;
    std::atomic<int64_t> typedAt{0};
    std::thread typist = TypeLater(300 + (i * 37) % 300, typedAt);
    std::thread arm([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
      g_awaitSilence = true;
    });
    SpeakLine(longText);
    WaitWhileSpeaking();  // ends at the key
    PauseMs(40);          // let the silence reach the device
    typist.join();
    arm.join();
    g_awaitSilence = false;
    if (g_silent.load() && typedAt.load())
      stop.push_back(static_cast<double>(g_silent.load() - typedAt.load()) / 1e6);
    while (KeyWaiting()) ReadKey();
  }
  std::printf("audio driver: %s\n", SDL_GetCurrentAudioDriver());
  Print("speak", speak, 60);
  Print("queued", queued, 60);  // SpeakLine returned: every sample with the player
  Print("stop", stop, 10);
  SpeechDone();
  FechaSaida();
  return 0;
}
