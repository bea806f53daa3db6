// How long a row written to the console takes to reach the braille display: the
// console (offscreen window) writes a row, BrlAPI carries it to a private BRLTTY, whose
// virtual driver hands it to this program acting as the display. A reader thread
// stamps each picture the display receives; each iteration writes a different row and
// takes the time from the write to the arrival of its cells.
//   bench_braille_display [--benchmark_min_time=3s]
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "braille/dots.h"
#include "braille/snFocus80.h"
#include "brltty_fixture.h"
#include "console/console.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the reader thread saw last, and when it arrived.
struct Arrivals {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<uint8_t> cells;
  Clock::time_point at;
  std::atomic<bool> stop{false};
} gArrivals;

mg::test::FakeDisplay* gDisplay = nullptr;
std::vector<double> gTimes;  // milliseconds of every row

void ReadDisplay() {
  while (!gArrivals.stop) {
    if (!gDisplay->WaitAnyChange(100)) continue;
    const auto now = Clock::now();
    std::lock_guard<std::mutex> hold(gArrivals.lock);
    gArrivals.cells = gDisplay->cells();
    gArrivals.at = now;
    gArrivals.changed.notify_all();
  }
}

void RowToDisplay(benchmark::State& state) {
  const int cells = mg::BrailleDisplayCells();
  int n = 0;
  for (auto _ : state) {
    // "linha NNNNNN" over the start of the cursor's row; in braille "linha #" and the
    // digits as the letters a-j.
    char row[16];
    std::snprintf(row, sizeof row, "\rlinha %06d", ++n % 1000000);
    std::string braille = "linha #";
    for (const char* d = row + 7; *d != 0; ++d) {
      braille += *d == '0' ? 'j' : static_cast<char>('a' + (*d - '1'));
    }
    std::vector<uint8_t> want(static_cast<size_t>(cells), 0);
    for (size_t i = 0; i < braille.size(); ++i) {
      want[i] = mg::DotsOf(static_cast<uint8_t>(braille[i]));
    }
    const auto start = Clock::now();
    mg::ConsoleWrite(row, 14);
    std::unique_lock<std::mutex> wait(gArrivals.lock);
    if (!gArrivals.changed.wait_for(wait, std::chrono::seconds(2),
                                    [&] { return gArrivals.cells == want; })) {
      state.SkipWithError("the row did not reach the display");
      break;
    }
    const double ms = std::chrono::duration<double, std::milli>(gArrivals.at - start).count();
    gTimes.push_back(ms);
    state.SetIterationTime(ms / 1e3);
  }
}
BENCHMARK(RowToDisplay)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_RENDER_DRIVER", "software", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  const std::string dir = "/tmp/mg-bench-braille." + std::to_string(getpid());
  mg::test::PrivateBrltty brltty;
  mg::test::FakeDisplay display;
  std::string why;
  if (!brltty.Start(dir, why) || !display.Connect(brltty.vr_socket(), 40, why)) {
    std::fprintf(stderr, "bench_braille_display: %s\n", why.c_str());
    return 1;
  }
  setenv("BRLAPI_HOST", brltty.host().c_str(), 1);
  setenv("BRLAPI_AUTH", "none", 1);
  gDisplay = &display;
  mg::InstallBrailleDisplay();
  mg::ConsoleOpen();
  if (!mg::BrailleDisplayActive()) {
    std::fprintf(stderr, "bench_braille_display: no display active\n");
    return 1;
  }
  std::fprintf(stderr, "display: %s\n", mg::BrailleDisplayDescription().c_str());
  std::thread reader(ReadDisplay);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gArrivals.stop = true;
  reader.join();
  if (!gTimes.empty()) {
    std::sort(gTimes.begin(), gTimes.end());
    auto at = [](double q) { return gTimes[static_cast<size_t>(q * (gTimes.size() - 1))]; };
    std::fprintf(stderr, "rows %zu: median %.2f ms, 90%% %.2f ms, 99%% %.2f ms, max %.2f ms\n",
                 gTimes.size(), at(0.5), at(0.9), at(0.99), gTimes.back());
  }
  brltty.Stop();
  const std::string cleanup = "rm -rf '" + dir + "'";
  return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
