// Time the legacy voice takes before the first sound of a prompt (translation and the
// first block of FalaFonemas), and its start-up, over the voice kit of the build tree.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "legacy/sninter.h"
#include "legacy/sntradut.h"

namespace {

const std::filesystem::path kData = std::filesystem::path(MG_BINARY_DIR) / "share/minigravador";
bool g_first = false;
std::chrono::steady_clock::time_point g_start;
double g_firstBlockSeconds = 0;

void FirstBlock(const unsigned char*, unsigned) {
  if (!g_first) {
    g_first = true;
    g_firstBlockSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - g_start).count();
  }
}

bool Start() {
  return mg::IniciaTradutorEm((kData / "letras").string(), (kData / "difones").string()) == 0;
}

void BM_IniciaTradutor(benchmark::State& state) {
  for (auto _ : state) {
    if (!Start()) state.SkipWithError("voice kit not built");
    mg::FechaTradutor();
  }
}
BENCHMARK(BM_IniciaTradutor)->Unit(benchmark::kMillisecond);

void BM_PromptToFirstBlock(benchmark::State& state) {
  if (!Start()) {
    state.SkipWithError("voice kit not built");
    return;
  }
  mg::AjustaParametros(400, 0, 100);
  mg::SetBlockPlayer(FirstBlock);
  const char* prompt =
      "Insira o CD e aperte Enter quando pronto. Digite o nome do disco com doze letras no "
      "m\xe1ximo e o diret\xf3rio que deseja gravar";
  double worst = 0;
  for (auto _ : state) {
    g_first = false;
    g_start = std::chrono::steady_clock::now();
    mg::FalaFonemas(mg::TraduzTexto(prompt));
    worst = std::max(worst, g_firstBlockSeconds);
  }
  state.counters["first_block_ms_worst"] = worst * 1000;
  mg::FechaTradutor();
}
BENCHMARK(BM_PromptToFirstBlock)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
