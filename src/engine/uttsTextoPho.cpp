#include "engine/uttsTextoPho.h"

#include "engine/uttsPortug.h"
#include "engine/uttsPreproc.h"
#include "engine/uttsProsodia.h"

namespace mg {

std::vector<std::string> TextoParaPho(std::string_view texto, double fatorFrequencia,
                                      double fatorDuracao) {
  const std::vector<std::string> itens = AtribuiPadroes(Tokeniza(PreProcessa(texto)), true);
  return GeraPho(Fonemiza(itens), fatorFrequencia, fatorDuracao);
}

}  // namespace mg
