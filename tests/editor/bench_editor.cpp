// Time the user feels in the editor: one typed key through a whole editor cycle (redraw,
// magnifier, echo request), and one paint of the magnified line.
//   bench_editor [--benchmark_filter=...]
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <string>

#include "console/console.h"
#include "speech/lineinput.h"
#include "speech/magnifier.h"
#include "speech_double.h"

namespace {

// 60 letters and Enter through EditLineSpoken; reported per key.
void BM_EditorKeys(benchmark::State& state) {
  mg::ConsoleOpen();
  mg::MagnifierSetColours(14, 6, 3);
  mg::MagnifierMakeFont(1, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    mg::test::ClearSounds();
    for (int i = 0; i < 60; ++i) mg::PushKey(static_cast<uint8_t>('a' + i % 26));
    mg::PushKey(13);
    std::string text;
    mg::EditLineSpoken(text, 1, 5, 78, 255);
    benchmark::DoNotOptimize(text);
  }
  state.SetItemsProcessed(state.iterations() * 61);
  mg::MagnifierMakeFont(1, 0);
}
BENCHMARK(BM_EditorKeys)->Arg(0)->Arg(4)->Unit(benchmark::kMicrosecond);

// One magnified line of 20 characters at zoom 4 onto a software renderer.
void BM_MagnifierPaint(benchmark::State& state) {
  mg::ConsoleOpen();
  mg::MagnifierSetColours(14, 6, 3);
  mg::MagnifierMakeFont(1, 4);
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 80 * mg::CellWidth(), 5 * mg::CellHeight(), 32,
                                                  SDL_PIXELFORMAT_ARGB8888);
  SDL_Renderer* r = SDL_CreateSoftwareRenderer(s);
  int position = 1;
  for (auto _ : state) {
    mg::MagnifierDraw("O rato roeu a roupa do rei de Roma", position % 30 + 1);
    mg::MagnifierPaint(r);
    ++position;
  }
  SDL_DestroyRenderer(r);
  SDL_FreeSurface(s);
  mg::MagnifierMakeFont(1, 0);
}
BENCHMARK(BM_MagnifierPaint)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
