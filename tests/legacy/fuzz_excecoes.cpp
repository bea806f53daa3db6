// Exception files of any content: both tables load them sorted, and every entry is
// found again by its own word.
#include <cstdint>
#include <cstdlib>

#include "fuzz_arquivo.h"
#include "legacy/dicionario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = mg::teste::EscreveArquivoFuzz(data, size);
  for (mg::TipoTabela tipo : {mg::TipoTabela::Legado, mg::TipoTabela::Motor}) {
    mg::TabelaExcecoes t(tipo);
    if (!t.CarregaExcecoes(path)) std::abort();
    if (t.Quantidade() > mg::kMaxExcecoes) std::abort();
    for (int i = 1; i <= t.Quantidade(); ++i) {
      const mg::palavra_alias& e = t.Entrada(i);
      if (e.palavra.size() > 255 || e.alias.size() > 255) std::abort();
      if (i > 1 && t.Entrada(i - 1).palavra > e.palavra) std::abort();
      // Equal words may hide each other: only check that the lookup answers an alias.
      (void)t.ProcuraExcecao(e.palavra + "sm");
    }
  }
  return 0;
}
