// Latency of the system voices as a user feels it (not a test; built on request):
//   kind4  SpeakLine of a prompt -> its first sample handed to the audio device (SDL's
//          callback), device already open (warm) and, once, freshly opened (cold);
//   stop5 / stop54  SynthStop during a long text -> the private sound server's null sink
//          silent for good (300 ms on; recorded from its monitor, parec adds ~10 ms).
// Usage: bench_sapi [iterations]. Kind 4 plays to SDL's disk driver (real-time paced);
// stop5/stop54 need the services of scripts/ci-services (source its env file first).
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
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
#include "sapi_test_util.h"
#include "speech/dispatch.h"
#include "speech/speech.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kPrompt[] = "Insira o CD e aperte Enter quando pronto";
const char kLong[] =
    "Este texto longo serve para medir quanto tempo a voz leva para calar depois do pedido "
    "de parar, no meio de uma frase comprida que ainda teria muito para dizer.";

int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

std::atomic<int64_t> gStarted{0};
std::atomic<int> gAwait{-1};
void OnBlockStarted(int index) {
  int64_t zero = 0;
  if (index == gAwait.load()) gStarted.compare_exchange_strong(zero, Now());
}

struct Stats {
  std::vector<double> ms;
  void Print(const char* name, double target) {
    if (ms.empty()) {
      std::printf("%-7s no samples\n", name);
      return;
    }
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[static_cast<size_t>(q * (ms.size() - 1))]; };
    std::printf("%-7s n=%zu  median %.1f ms  p90 %.1f ms  max %.1f ms  (target %.0f ms)\n", name,
                ms.size(), at(0.5), at(0.9), ms.back(), target);
  }
};

void WaitQuiet() {
  mg::StopSpeech();
  while (mg::IsSpeaking()) mg::WaitMessage(10);
  mg::PauseMs(100);
}

// parec on the null sink's monitor, read through a pipe; each chunk's arrival is timed.
struct SinkTap {
  pid_t pid = -1;
  int fd = -1;
  std::thread reader;
  std::atomic<bool> run{true};
  std::atomic<int64_t> armedAt{0};   // stop requested at this time
  std::atomic<int64_t> silentAt{0};  // first 20 ms of silence after armedAt arrived
  std::atomic<bool> loud{false};     // sound seen lately

  bool Start() {
    const char* sink = getenv("MG_PULSE_SINK");
    if (!sink) return false;
    int p[2];
    if (pipe(p) != 0) return false;
    const std::string device = std::string(sink) + ".monitor";
    pid = fork();
    if (pid == 0) {
      dup2(p[1], 1);
      close(p[0]);
      execlp("parec", "parec", "-d", device.c_str(), "--raw", "--format=s16le", "--rate=22050",
             "--channels=1", "--latency-msec=10", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(p[1]);
    fd = p[0];
    reader = std::thread([this] {
      std::vector<int16_t> buf(441);  // 20 ms
      int quietRun = 0;
      while (run) {
        const ssize_t n = read(fd, buf.data(), buf.size() * 2);
        if (n <= 0) break;
        const int64_t t = Now();
        bool any = false;
        for (ssize_t i = 0; i < n / 2; ++i) any |= std::abs(buf[static_cast<size_t>(i)]) > 300;
        loud = any;
        quietRun = any ? 0 : quietRun + static_cast<int>(n / 2);
        if (armedAt.load() != 0 && silentAt.load() == 0 &&
            quietRun >= 6615) {  // 300 ms: longer than any pause between words
          // The silence began quietRun samples before the end of this chunk.
          const int64_t began = t - static_cast<int64_t>(quietRun) * 1000000000 / 22050;
          silentAt = std::max(began, armedAt.load());
        }
      }
    });
    return true;
  }
  void Stop() {
    run = false;
    if (pid > 0) kill(pid, SIGTERM);
    if (reader.joinable()) reader.join();
    if (pid > 0) waitpid(pid, nullptr, 0);
    if (fd >= 0) close(fd);
  }
};

void BenchStop(int kind, int iterations, const char* name) {
  using namespace mg;
  SinkTap tap;
  if (!getenv("SPEECHD_ADDRESS") || !tap.Start()) {
    std::printf("%-7s skipped: no private speech-dispatcher / sound server\n", name);
    return;
  }
  if (!SynthInit(0, 0, 0, kind, "")) {
    std::printf("%-7s kind %d did not start\n", name, kind);
    tap.Stop();
    return;
  }
  Stats stats;
  for (int i = 0; i < iterations; ++i) {
    SynthSpeak(kLong);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!tap.loud && Clock::now() < deadline) PauseMs(5);
    PauseMs(200);
    tap.silentAt = 0;
    tap.armedAt = Now();
    SynthStop();
    const auto wait = Clock::now() + std::chrono::seconds(3);
    while (tap.silentAt == 0 && Clock::now() < wait) PauseMs(5);
    if (tap.silentAt != 0) stats.ms.push_back((tap.silentAt - tap.armedAt) / 1e6);
    tap.armedAt = 0;
    PauseMs(300);
  }
  SynthDone();
  tap.Stop();
  stats.Print(name, 50);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace mg;
  const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  test::TempDir dir;
  setenv("SDL_VIDEODRIVER", getenv("SDL_VIDEODRIVER") ? getenv("SDL_VIDEODRIVER") : "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", (dir / "bench.raw").c_str(), 1);
  test::UseConfig(dir / "config", {"TRADUTOR/SAPI=S", "SERVFALA/TIPOSAPI=4"});
  ConsoleOpen();
  SpeechInit(0, "");
  if (!Speech().systemSynthActive) {
    std::printf("kind 4 did not start\n");
    return 1;
  }
  WavTrace().blockStarted = &OnBlockStarted;
  bool armed = false;
  WavTrace().blockQueued = [&](const uint8_t*, uint32_t, int index) {
    if (armed) {
      gAwait = index;
      armed = false;
    }
  };
  Stats warm, cold;
  for (int i = 0; i <= iterations; ++i) {
    if (i == 0) FechaSaida();  // the first one opens the device
    gStarted = 0;
    gAwait = -1;
    armed = true;
    const int64_t t0 = Now();
    SpeakLine(kPrompt);
    while (gStarted == 0 && Now() - t0 < 5000000000LL) WaitMessage(1);
    if (gStarted != 0) (i == 0 ? cold : warm).ms.push_back((gStarted - t0) / 1e6);
    PauseMs(200);
    WaitQuiet();
  }
  SpeechDone();
  warm.Print("kind4", 30);
  cold.Print("kind4c", 30);
  WavTrace() = SnWavTrace{};
  BenchStop(5, iterations, "stop5");
  BenchStop(54, iterations, "stop54");
  return 0;
}
