// TraduzTexto over any text, with the shipped rules or, when the input holds a line
// "%%", with the rule file before it. The result is always bracketed groups.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_arquivo.h"
#include "legacy/sninter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool carregadas = [] {
    mg::CarregaExcecoes(MG_LEGACY_DATA "/portug.exc");
    return true;
  }();
  (void)carregadas;
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  std::string_view texto = in;
  const size_t sep = in.find("\n%%\n");
  if (sep != std::string_view::npos) {
    mg::CarregaRegras(mg::teste::EscreveArquivoFuzz(data, sep));
    texto = in.substr(sep + 4);
  } else {
    mg::CarregaRegras(MG_LEGACY_DATA "/regras.rgr");
  }
  const std::string r = mg::TraduzTexto(texto);
  if (!r.empty() && (r.front() != '[' || r.back() != ']')) std::abort();
  return 0;
}
