// sonela-voz pho: the MBROLA input lines the own engine makes for a text (UTF-8, from a
// file or standard input), read as one utterance with both factors at 1.0. The output
// is UTF-8 too; "mbrola br4 saida.pho saida.wav" speaks it.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "common/cp1252.h"
#include "common/paths.h"
#include "engine/uttsPreproc.h"
#include "engine/uttsProsodia.h"
#include "engine/uttsTextoPho.h"
#include "legacy/dicionario.h"
#include "speech/config.h"
#include "subcommand.h"

namespace {

std::string DiretorioPadrao() {
  const mg::OndalSettings s = mg::ReadOndalSettings();
  std::string dir = mg::ToLinuxPath(s.dir);
  if (!dir.empty() && mg::DirectoryExists(dir)) return dir;
  return mg::ToLinuxPath(mg::ProgramDirectory()) + "/../share/minigravador/ondal";
}

int Falha(const char* oque, const std::string& arquivo) {
  std::fprintf(stderr, "sonela-voz pho: %s: %s\n", oque, arquivo.c_str());
  return 1;
}

int Pho(int argc, char** argv) {
  std::string dir, regras, excecoes, abreviaturas, prosodia, difones, entrada;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    std::string* destino = a == "--dir"            ? &dir
                           : a == "--regras"       ? &regras
                           : a == "--excecoes"     ? &excecoes
                           : a == "--abreviaturas" ? &abreviaturas
                           : a == "--prosodia"     ? &prosodia
                           : a == "--difones"      ? &difones
                                                   : nullptr;
    if (destino && i + 1 < argc) {
      *destino = argv[++i];
    } else if (!destino && entrada.empty() && !a.starts_with("--")) {
      entrada = a;
    } else {
      std::fprintf(stderr, "sonela-voz pho: argumento desconhecido: %s\n", a.c_str());
      return 2;
    }
  }
  if (dir.empty()) dir = DiretorioPadrao();
  auto padrao = [&](std::string& v, const char* nome) {
    if (v.empty()) v = dir + "/" + nome;
  };
  padrao(regras, "portug.nrl");
  padrao(excecoes, "portug.exc");
  padrao(abreviaturas, "portug.abr");
  padrao(prosodia, "portug.pro");
  padrao(difones, "portug.dfn");

  if (!mg::RegrasMotor().CarregaRegras(regras)) return Falha("regras ilegíveis", regras);
  if (!mg::ExcecoesMotor().CarregaExcecoes(excecoes)) return Falha("exceções ilegíveis", excecoes);
  if (!mg::CarregaAbreviaturas(abreviaturas)) return Falha("abreviaturas ilegíveis", abreviaturas);
  if (!mg::CarregaProsodia(prosodia)) return Falha("prosódia com erro", prosodia);
  if (!mg::CarregaDifones(difones)) return Falha("difones ilegíveis", difones);

  std::string texto;
  if (entrada.empty()) {
    texto.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(entrada, std::ios::binary);
    if (!in) return Falha("texto ilegível", entrada);
    texto.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string saida;
  for (const std::string& l : mg::TextoParaPho(mg::Utf8ToCp1252(texto), 1.0, 1.0)) {
    saida += l;
    saida += '\n';
  }
  const std::string utf8 = mg::Cp1252ToUtf8(saida);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  return 0;
}

const mg::voz::Register r("pho", Pho,
                          "[--dir DIR] [--regras|--excecoes|--abreviaturas|--prosodia|--difones "
                          "ARQ] [texto.txt] (sem arquivo: entrada padrão)");

}  // namespace
