// What Tab and one Up/Down step cost in a folder of 10,000 folders, the first two of
// which hold 10,000 files each: the time before the name can start sounding.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "recording/folderpick.h"
#include "testutil.h"

namespace {

constexpr int kEntries = 10000;

struct Home {
  Home() {
    for (int i = 0; i < kEntries; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/Pasta %05d", i);
      mg::test::MakeDir(tmp.path() + name);
    }
    for (const char* big : {"/Pasta 00000/", "/Pasta 00001/"}) {
      for (int i = 0; i < kEntries; ++i) {
        mg::test::WriteFile(tmp.path() + big + "foto" + std::to_string(i) + ".jpg", "");
      }
    }
    setenv("HOME", tmp.path().c_str(), 1);
  }
  mg::test::TempDir tmp;
};

Home& TheHome() {
  static Home home;
  return home;
}

void BM_TabCompletes(benchmark::State& state) {
  TheHome();
  for (auto _ : state) benchmark::DoNotOptimize(mg::CompleteTyped("pasta 0512"));
}
BENCHMARK(BM_TabCompletes)->Unit(benchmark::kMillisecond);

// The first Down: the folder listed and sorted, the chosen folder's entries counted.
void BM_FirstBrowseStep(benchmark::State& state) {
  TheHome();
  for (auto _ : state) {
    mg::FolderBrowser browser;
    benchmark::DoNotOptimize(browser.Move("", 1));
  }
}
BENCHMARK(BM_FirstBrowseStep)->Unit(benchmark::kMillisecond);

// Every further step: only the next folder's entries are counted, here 10,000 of them.
void BM_NextBrowseStep(benchmark::State& state) {
  TheHome();
  mg::FolderBrowser browser;
  std::string field = browser.Move("Pasta 00000", 1).text;
  int direction = 1;
  for (auto _ : state) {
    const mg::FolderBrowser::Step step = browser.Move(field, direction);
    field = step.text;
    direction = -direction;
  }
}
BENCHMARK(BM_NextBrowseStep)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
