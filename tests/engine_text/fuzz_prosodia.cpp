// Prosody file parser over any bytes, then the phrase stages over whatever it loaded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/uttsAviso.h"
#include "engine/uttsProsodia.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool silencio = (mg::DefineAvisoMotor([](const std::string&) {}), true);
  (void)silencio;
  const std::string_view texto(reinterpret_cast<const char*>(data), size);
  if (!mg::CarregaProsodiaDeTexto(texto)) return 0;
  if (mg::Duracoes().size() > mg::kMaxDuracoes || mg::Chaves().size() > mg::kMaxChaves ||
      mg::RegrasProsodia().size() > mg::kMaxRegrasProsodia)
    __builtin_trap();
  const auto itens = mg::AtribuiPadroes(mg::Tokeniza("que tal, mundo? sim... ah! o fim."), true);
  for (const std::string& i : itens) {
    if (i.size() < 4 || i[3] != '|') __builtin_trap();
  }
  (void)mg::GeraPho({";" + itens[1], "k", ">a", "z", "a", "", ";" + itens[2], "_,", "__"}, 1.0,
                    1.0);
  return 0;
}
