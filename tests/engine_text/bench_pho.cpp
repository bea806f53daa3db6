// Throughput of the engine's text stages over a long Portuguese text: the whole road
// from text to MBROLA input lines, and each stage alone. Bytes are those of the text.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "common/cp1252.h"
#include "engine/uttsPortug.h"
#include "engine/uttsPreproc.h"
#include "engine/uttsProsodia.h"
#include "engine/uttsTextoPho.h"
#include "legacy/dicionario.h"

namespace {

const std::string kDados = MG_SOURCE_DIR "/data/ondal/";

const std::string& Texto() {
  static const std::string t = [] {
    const char* caminho = std::getenv("MG_BENCH_TEXTO");
    std::ifstream in(caminho ? caminho : MG_SOURCE_DIR "/tests/engine_text/bench/texto_longo.txt",
                     std::ios::binary);
    return mg::Utf8ToCp1252(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  }();
  return t;
}

bool Carrega() {
  static const bool ok = mg::RegrasMotor().CarregaRegras(kDados + "portug.nrl") &&
                         mg::ExcecoesMotor().CarregaExcecoes(kDados + "portug.exc") &&
                         mg::CarregaAbreviaturas(kDados + "portug.abr") &&
                         mg::CarregaProsodia(kDados + "portug.pro") &&
                         mg::CarregaDifones(kDados + "portug.dfn");
  return ok;
}

void Prepara(benchmark::State& st) {
  if (!Carrega()) st.SkipWithError("data files missing");
  if (Texto().empty()) st.SkipWithError("text missing");
}

void Fim(benchmark::State& st) {
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) *
                       static_cast<int64_t>(Texto().size()));
}

void BM_TextoParaPho(benchmark::State& st) {
  Prepara(st);
  for (auto _ : st) benchmark::DoNotOptimize(mg::TextoParaPho(Texto(), 1.0, 1.0));
  Fim(st);
}

void BM_PreProcessa(benchmark::State& st) {
  Prepara(st);
  for (auto _ : st) benchmark::DoNotOptimize(mg::PreProcessa(Texto()));
  Fim(st);
}

void BM_TokenizaEPadroes(benchmark::State& st) {
  Prepara(st);
  const std::string pre = mg::PreProcessa(Texto());
  for (auto _ : st) benchmark::DoNotOptimize(mg::AtribuiPadroes(mg::Tokeniza(pre), true));
  Fim(st);
}

void BM_Fonemiza(benchmark::State& st) {
  Prepara(st);
  const auto itens = mg::AtribuiPadroes(mg::Tokeniza(mg::PreProcessa(Texto())), true);
  for (auto _ : st) benchmark::DoNotOptimize(mg::Fonemiza(itens));
  Fim(st);
}

void BM_GeraPho(benchmark::State& st) {
  Prepara(st);
  const auto fonemas =
      mg::Fonemiza(mg::AtribuiPadroes(mg::Tokeniza(mg::PreProcessa(Texto())), true));
  for (auto _ : st) benchmark::DoNotOptimize(mg::GeraPho(fonemas, 1.0, 1.0));
  Fim(st);
}

// A pathological input: 100 kB of digits, read 15 at a time.
void BM_PreProcessaDigitos(benchmark::State& st) {
  const std::string digitos(100000, '7');
  for (auto _ : st) benchmark::DoNotOptimize(mg::PreProcessa(digitos));
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) * 100000);
}

BENCHMARK(BM_TextoParaPho)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreProcessa)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TokenizaEPadroes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fonemiza)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeraPho)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreProcessaDigitos)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
