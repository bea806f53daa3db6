// sonela-voz traduz: the legacy phoneme string of each input line (UTF-8 in and out,
// cp1252 inside), from the legacy rules and exceptions of a directory.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "common/cp1252.h"
#include "common/paths.h"
#include "legacy/sninter.h"
#include "speech/config.h"
#include "subcommand.h"

namespace {

// The diphone directory of the configuration, where the legacy voice keeps its rules.
std::string DiretorioConfigurado() {
  std::string dir = mg::IniRead("TRADUTOR", "DIRDIFONES");
  if (dir.empty()) dir = "c:\\winsonela\\som\\difones";
  if (dir.size() > 79) dir.resize(79);
  return mg::ToLinuxPath(dir);
}

void Imprime(const std::string& cp1252) {
  const std::string u = mg::Cp1252ToUtf8(mg::TraduzTexto(cp1252));
  std::fwrite(u.data(), 1, u.size(), stdout);
  std::fputc('\n', stdout);
}

int Traduz(int argc, char** argv) {
  std::string dir;
  std::vector<std::string> textos;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--dir" && i + 1 < argc) {
      dir = argv[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "traduz: op\xc3\xa7\xc3\xa3o desconhecida %s\n", a.c_str());
      return 2;
    } else {
      textos.push_back(a);
    }
  }
  if (dir.empty()) dir = DiretorioConfigurado();
  if (!dir.empty() && dir.back() != '/') dir += '/';
  if (!mg::CarregaRegras(dir + "regras.rgr")) {
    std::fprintf(stderr, "traduz: n\xc3\xa3o foi poss\xc3\xadvel ler %sregras.rgr\n", dir.c_str());
    return 1;
  }
  if (!mg::CarregaExcecoes(dir + "portug.exc")) {
    std::fprintf(stderr, "traduz: n\xc3\xa3o foi poss\xc3\xadvel ler %sportug.exc\n", dir.c_str());
    mg::LiberaRegras();
    return 1;
  }
  if (!textos.empty()) {
    for (const auto& t : textos) Imprime(mg::Utf8ToCp1252(t));
  } else {
    std::string linha;
    while (std::getline(std::cin, linha)) {
      if (!linha.empty() && linha.back() == '\r') linha.pop_back();
      Imprime(mg::Utf8ToCp1252(linha));
    }
  }
  std::fflush(stdout);
  mg::LiberaRegras();
  return 0;
}

mg::voz::Register r("traduz", Traduz, "[--dir DIR] [TEXTO...]  (sem TEXTO: uma linha por vez)");

}  // namespace
