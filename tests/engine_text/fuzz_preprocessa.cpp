// Any bytes as the text of an utterance: preprocessing, tokens, patterns; and the same
// bytes, cut into lines, as a phoneme list for GeraPho.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/uttsArquivo.h"
#include "engine/uttsAviso.h"
#include "engine/uttsPreproc.h"
#include "engine/uttsProsodia.h"

namespace {

bool Prepara() {
  mg::DefineAvisoMotor([](const std::string&) {});
  mg::CarregaAbreviaturasDeTexto("sr=senhor\ndra=doutora\nn\xba=n\xfamero\nR$=reais\n");
  mg::CarregaProsodiaDeTexto(
      "[DUR\xc7\xc3O]\na=80\n_,=200\n[CHAVES]\nque=QU\no=AR\n[PROS\xd3"
      "DIA]\n"
      "TABHERTZ=0,72,80,87,94,100,107,114,122,132\n||.. = ?41\n||?? = ?94\n|XX| = ?75\n");
  mg::CarregaDifonesDeTexto("_ a\na _\n");
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool pronto = Prepara();
  (void)pronto;
  const std::string_view texto(reinterpret_cast<const char*>(data), size);
  const std::string pre = mg::PreProcessa(texto);
  for (char c : pre) {
    if (c >= '0' && c <= '9') __builtin_trap();  // every digit becomes words
  }
  (void)mg::AtribuiPadroes(mg::Tokeniza(pre), true);
  std::vector<std::string> linhas;
  for (std::string_view l : mg::SeparaLinhas(texto)) linhas.emplace_back(l);
  (void)mg::GeraPho(linhas, 1.0, 1.0);
  return 0;
}
