// Rule files of any content: both tables load them, and every chain holds rules whose
// fields keep their widths and whose `trecho` belongs to the chain.
#include <cstdint>
#include <cstdlib>

#include "fuzz_arquivo.h"
#include "legacy/dicionario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = mg::teste::EscreveArquivoFuzz(data, size);
  for (mg::TipoTabela tipo : {mg::TipoTabela::Legado, mg::TipoTabela::Motor}) {
    mg::TabelaRegras t(tipo);
    if (!t.CarregaRegras(path)) std::abort();
    size_t n = 0;
    for (int c = 0; c < 256; ++c) {
      for (const mg::TRegra* r = t.Cadeia(static_cast<unsigned char>(c)); r; r = r->prox) {
        if (r->trecho.empty() || static_cast<unsigned char>(r->trecho[0]) != c) std::abort();
        if (r->esquerda.size() > 5 || r->trecho.size() > 5 || r->direita.size() > 5 ||
            r->saida.size() > t.LarguraSaida()) {
          std::abort();
        }
        ++n;
      }
    }
    if (n != t.Quantidade()) std::abort();
  }
  return 0;
}
