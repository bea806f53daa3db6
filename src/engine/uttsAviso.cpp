#include "engine/uttsAviso.h"

#include <cstdio>

#include "common/cp1252.h"

namespace mg {
namespace {

AvisoMotor& Receptor() {
  static AvisoMotor receptor;
  return receptor;
}

}  // namespace

void DefineAvisoMotor(AvisoMotor receptor) { Receptor() = std::move(receptor); }

void Avisa(const std::string& mensagem) {
  if (Receptor()) {
    Receptor()(mensagem);
    return;
  }
  std::fprintf(stderr, "%s\n", Cp1252ToUtf8(mensagem).c_str());
}

}  // namespace mg
