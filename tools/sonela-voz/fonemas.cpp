// sonela-voz fonemas: the own engine's phonemes of words, one word a line (UTF-8), printed
// as "word<TAB>phonemes": the engine's symbols separated by blanks, ">" glued to the
// phoneme of the stressed syllable. The lines are those Fonemiza makes for "555|WORD",
// without headers, pauses and word ends. With --legado, the legacy translator's units of
// each word (rules and exceptions of the legacy voice) in the same notation.
#include <cstdio>
#include <iostream>
#include <string>

#include "common/cp1252.h"
#include "common/paths.h"
#include "engine/uttsPortug.h"
#include "fonemas_legado.h"
#include "legacy/dicionario.h"
#include "legacy/sninter.h"
#include "speech/config.h"
#include "subcommand.h"

namespace {

std::string DiretorioPadrao() {
  const mg::OndalSettings s = mg::ReadOndalSettings();
  std::string dir = mg::ToLinuxPath(s.dir);
  if (!dir.empty() && mg::DirectoryExists(dir)) return dir;
  return mg::ToLinuxPath(mg::ProgramDirectory()) + "/../share/minigravador/ondal";
}

// The diphone directory of the configuration, where the legacy voice keeps its rules.
std::string DiretorioLegado() {
  std::string dir = mg::IniRead("TRADUTOR", "DIRDIFONES");
  if (dir.empty()) dir = "c:\\winsonela\\som\\difones";
  return mg::ToLinuxPath(dir);
}

int FonemasLegado(const std::string& dir, std::string regras, std::string excecoes) {
  const std::string base = dir.empty() ? DiretorioLegado() : dir;
  if (regras.empty()) regras = base + "/regras.rgr";
  if (excecoes.empty()) excecoes = base + "/portug.exc";
  if (!mg::CarregaRegras(regras)) {
    std::fprintf(stderr, "sonela-voz fonemas: regras ilegíveis: %s\n", regras.c_str());
    return 1;
  }
  if (!mg::CarregaExcecoes(excecoes)) {
    std::fprintf(stderr, "sonela-voz fonemas: exceções ilegíveis: %s\n", excecoes.c_str());
    mg::LiberaRegras();
    return 1;
  }
  std::string linha;
  while (std::getline(std::cin, linha)) {
    if (!linha.empty() && linha.back() == '\r') linha.pop_back();
    const std::string fita = mg::TraduzTexto(mg::Utf8ToCp1252(linha));
    std::cout << linha << '\t' << mg::voz::FonemasDoLegado(fita) << '\n';
  }
  mg::LiberaRegras();
  return 0;
}

int Fonemas(int argc, char** argv) {
  std::string dir, regras, excecoes;
  bool legado = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--legado") {
      legado = true;
    } else if ((a == "--dir" || a == "--regras" || a == "--excecoes") && i + 1 < argc) {
      (a == "--dir" ? dir : a == "--regras" ? regras : excecoes) = argv[++i];
    } else {
      std::fprintf(stderr, "sonela-voz fonemas: argumento desconhecido: %s\n", a.c_str());
      return 2;
    }
  }
  if (legado) return FonemasLegado(dir, regras, excecoes);
  if (dir.empty()) dir = DiretorioPadrao();
  if (regras.empty()) regras = dir + "/portug.nrl";
  if (excecoes.empty()) excecoes = dir + "/portug.exc";

  if (!mg::RegrasMotor().CarregaRegras(regras)) {
    std::fprintf(stderr, "sonela-voz fonemas: regras ilegíveis: %s\n", regras.c_str());
    return 1;
  }
  if (!mg::ExcecoesMotor().CarregaExcecoes(excecoes)) {
    std::fprintf(stderr, "sonela-voz fonemas: exceções ilegíveis: %s\n", excecoes.c_str());
    return 1;
  }

  std::string linha;
  while (std::getline(std::cin, linha)) {
    if (!linha.empty() && linha.back() == '\r') linha.pop_back();
    const std::string palavra = mg::Utf8ToCp1252(linha);
    const mg::ListaFonemas lista = mg::Fonemiza({"555|" + palavra});
    std::cout << linha << '\t' << mg::Cp1252ToUtf8(mg::LinhaDeFonemas(lista)) << '\n';
  }
  return 0;
}

const mg::voz::Register r("fonemas", Fonemas,
                          "[--legado] [--dir DIR] [--regras ARQ] [--excecoes ARQ] < palavras");

}  // namespace
