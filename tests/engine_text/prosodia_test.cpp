#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/uttsProsodia.h"
#include "texto.h"

namespace mg {
namespace {

using teste::Avisos;
using teste::C;

const char* const kDuracao = "[DURAÇÃO]\na = 110\n* comentário\n;outro\n\n_, = 300\nee=95\n";
const char* const kChaves = "[CHAVES]\nque = qu\nde = PR\n o = artigo\n";
const char* const kProsodia =
    "[PROSÓDIA]\nHERTZ=210\nTABHERTZ=0,75,80,85,90,100,105,110,120,130\n"
    "XX|,,| = 453\n|xx = ?31\n";

void ConfereCarregado() {
  EXPECT_EQ(DuracaoDe("a"), 110);
  EXPECT_EQ(DuracaoDe("_,"), 300);
  EXPECT_EQ(DuracaoDe("ee"), 95);
  EXPECT_EQ(DuracaoDe("EE"), 100) << "phonemes compare with case";
  EXPECT_EQ(DuracaoDe("x"), 100);
  EXPECT_EQ(CodigoDe("que"), "QU");
  EXPECT_EQ(CodigoDe("De"), "PR");
  EXPECT_EQ(CodigoDe("o"), "AR") << "codes are cut to two characters";
  EXPECT_EQ(CodigoDe("casa"), "");
  EXPECT_EQ(FrequenciaBase(), 210);
  EXPECT_EQ(EscalaFrequencias()[0], 0);
  EXPECT_EQ(EscalaFrequencias()[5], 100);
  EXPECT_EQ(EscalaFrequencias()[9], 130);
  ASSERT_EQ(RegrasProsodia().size(), 2u);
  EXPECT_EQ(RegrasProsodia()[0].anterior, "XX");
  EXPECT_EQ(RegrasProsodia()[0].atual, ",,");
  EXPECT_EQ(RegrasProsodia()[0].seguinte, "");
  EXPECT_EQ(RegrasProsodia()[0].padrao, "453");
  EXPECT_EQ(RegrasProsodia()[1].anterior, "");
  EXPECT_EQ(RegrasProsodia()[1].atual, "XX") << "rule lines are upper-cased";
  EXPECT_EQ(RegrasProsodia()[1].padrao, "?31");
}

TEST(CarregaProsodiaTest, SecoesEmQualquerOrdem) {
  const std::string d = kDuracao, k = kChaves, p = kProsodia;
  for (const std::string& texto : {d + k + p, p + k + d, k + p + d, "lixo antes\n" + p + d + k}) {
    Avisos avisos;
    EXPECT_TRUE(CarregaProsodiaDeTexto(C(texto)));
    EXPECT_TRUE(avisos.lista.empty()) << avisos.lista.front();
    ConfereCarregado();
  }
}

TEST(CarregaProsodiaTest, ArquivoEmDiscoCp1252EUtf8) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("engpro_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string texto = std::string(kDuracao) + kChaves + kProsodia;
  {
    std::ofstream(dir / "cp.pro", std::ios::binary) << C(texto);
    std::ofstream(dir / "utf.pro", std::ios::binary) << texto;
  }
  for (const char* nome : {"cp.pro", "utf.pro"}) {
    Avisos avisos;
    EXPECT_TRUE(CarregaProsodia((dir / nome).string())) << nome;
    ConfereCarregado();
  }
  Avisos avisos;
  EXPECT_FALSE(CarregaProsodia((dir / "nada.pro").string()));
  EXPECT_EQ(avisos.lista, std::vector<std::string>{"Configuração da prosódia não foi achada"});
  EXPECT_EQ(DuracaoDe("a"), 100) << "a failed load leaves empty tables";
  std::filesystem::remove_all(dir);
}

struct CasoRuim {
  std::string texto;
  std::string aviso;  // the first message, UTF-8
};

TEST(CarregaProsodiaTest, ArquivosMalFormados) {
  const std::string d = kDuracao, k = kChaves, p = kProsodia;
  std::string muitasChaves = "[CHAVES]\n", muitasDuracoes = "[DURAÇÃO]\n", muitasRegras = "";
  for (int i = 0; i < 1001; ++i) muitasChaves += "w" + std::to_string(i) + " = AA\n";
  for (int i = 0; i < 101; ++i) muitasDuracoes += "f" + std::to_string(i % 10) + "=1\n";
  for (int i = 0; i < 301; ++i) muitasRegras += "|X" + std::to_string(i % 10) + "| = 555\n";
  const std::vector<CasoRuim> casos = {
      {"", "Duração dos difones errada ou ausente"},
      {k + p, "Duração dos difones errada ou ausente"},
      {d + p, "Prosódia: palavras chaves ausentes"},
      {d + k, "Prosódia: especificações ausentes"},
      {"[DURAÇÃO]\na 110\n" + k + p, "Configuração da prosódia: fonema errado: a 110"},
      {"[DURAÇÃO]\n   \n" + k + p, "Configuração da prosódia: fonema errado:    "},
      {d + "[CHAVES]\nque QU\n" + p, "Configuração da prosódia: chave errada: que QU"},
      {d + "[CHAVES]\nque = Q\n" + p, "Configuração da prosódia: chave errada: que = Q"},
      {d + k + "[PROSÓDIA]\nxx 555\n", "Configuração da prosódia: chave errada: XX 555"},
      {d + k + "[PROSÓDIA]\nHERTZ=alto\n", "Configuração da prosódia: HERTZ errado: HERTZ=ALTO"},
      {d + k + "[PROSÓDIA]\nHERTZ=0\n", "Configuração da prosódia: HERTZ errado: HERTZ=0"},
      {d + k + "[PROSÓDIA]\nTABHERTZ=1,2,3\n",
       "Configuração da prosódia: TABHERTZ errado: TABHERTZ=1,2,3"},
      {d + k + "[PROSÓDIA]\nTABHERTZ=1,2,3,4,5,6,7,8,9,x\n",
       "Configuração da prosódia: TABHERTZ errado: TABHERTZ=1,2,3,4,5,6,7,8,9,X"},
      {d + k + "[PROSÓDIA]\nTABHERTZ=1,2,3,4,5,6,7,8,9,10,11\n",
       "Configuração da prosódia: TABHERTZ errado: TABHERTZ=1,2,3,4,5,6,7,8,9,10,11"},
      {d + k + "[PROSÓDIA]\n|XX| = 55\n", "Configuração da prosódia: padrão errado: |XX| = 55"},
      {d + k + "[PROSÓDIA]\n|XX| = 5?5\n", "Configuração da prosódia: padrão errado: |XX| = 5?5"},
      {d + muitasChaves + p, "Configuração da prosódia: mais de 1000 chaves: w1000 = AA"},
      {muitasDuracoes + k + p, "Configuração da prosódia: mais de 100 durações: f0=1"},
      {d + k + "[PROSÓDIA]\n" + muitasRegras,
       "Configuração da prosódia: mais de 300 regras: |X0| = 555"},
  };
  for (const CasoRuim& c : casos) {
    Avisos avisos;
    EXPECT_FALSE(CarregaProsodiaDeTexto(C(c.texto))) << c.aviso;
    ASSERT_FALSE(avisos.lista.empty()) << c.aviso;
    EXPECT_EQ(avisos.lista.front(), c.aviso);
    EXPECT_TRUE(Chaves().empty() && Duracoes().empty() && RegrasProsodia().empty());
    EXPECT_EQ(FrequenciaBase(), 230);
  }
}

TEST(CarregaProsodiaTest, DuracaoInvalidaValeCemEContinua) {
  Avisos avisos;
  EXPECT_TRUE(CarregaProsodiaDeTexto(
      C("[DURAÇÃO]\na = x\nb = -3\nc=40\n" + std::string(kChaves) + kProsodia)));
  EXPECT_EQ(avisos.lista,
            (std::vector<std::string>{"Configuração da prosódia: fonema errado: a = x",
                                      "Configuração da prosódia: fonema errado: b = -3"}));
  EXPECT_EQ(DuracaoDe("a"), 100);
  EXPECT_EQ(DuracaoDe("b"), 100);
  EXPECT_EQ(DuracaoDe("c"), 40);
}

TEST(CarregaProsodiaTest, LimitesECampos) {
  Avisos avisos;
  std::string texto = "[DURAÇÃO]\nabc = 70\n" + std::string(1 << 16, 'z') + "=5\n";
  texto += "[CHAVES]\n" + std::string(5000, 'q') + " = QUQUQU\n";
  texto += "[PROSÓDIA]\n hertz = 180 \n ab | cdef |  gh  = 531\nTABHERTZ=1,2,3,4,5,6,7,8,9,10\n";
  for (int i = 0; i < 99; ++i) texto += "[DURAÇÃO]\n";  // later headers are not searched
  ASSERT_TRUE(CarregaProsodiaDeTexto(C(texto))) << avisos.lista.front();
  EXPECT_EQ(DuracaoDe("ab"), 70) << "phonemes are cut to two characters";
  EXPECT_EQ(DuracaoDe("zz"), 5);
  EXPECT_EQ(CodigoDe(std::string(5000, 'Q')), "QU");
  EXPECT_EQ(FrequenciaBase(), 180);
  EXPECT_EQ(EscalaFrequencias()[9], 10);
  ASSERT_EQ(RegrasProsodia().size(), 1u);
  EXPECT_EQ(RegrasProsodia()[0].anterior, "AB");
  EXPECT_EQ(RegrasProsodia()[0].atual, "CDE");
  EXPECT_EQ(RegrasProsodia()[0].seguinte, "GH");
}

TEST(CarregaProsodiaTest, EscalaNaoReiniciada) {
  const std::string d = kDuracao, k = kChaves, p = kProsodia;
  ASSERT_TRUE(CarregaProsodiaDeTexto(C(d + k + p)));
  ASSERT_TRUE(CarregaProsodiaDeTexto(C(d + k + "[PROSÓDIA]\n")));
  EXPECT_EQ(EscalaFrequencias()[5], 100) << "a file without TABHERTZ keeps the scale";
  EXPECT_EQ(FrequenciaBase(), 230) << "but the base pitch starts again at 230";
}

TEST(CodigoDeTest, BuscaBinariaSobreChavesOrdenadas) {
  std::string texto = std::string(kDuracao) + "[CHAVES]\n";
  const char* palavras[] = {"zebra", "ábaco", "casa", "a", "b", "mesa", "NÃO", "ou", "e"};
  int i = 0;
  for (const char* w : palavras) texto += std::string(w) + " = C" + std::to_string(i++) + "\n";
  ASSERT_TRUE(CarregaProsodiaDeTexto(C(texto + kProsodia)));
  for (size_t j = 1; j < Chaves().size(); ++j)
    EXPECT_LT(Chaves()[j - 1].palavra, Chaves()[j].palavra);
  i = 0;
  for (const char* w : palavras) EXPECT_EQ(CodigoDe(C(w)), "C" + std::to_string(i++)) << w;
  EXPECT_EQ(CodigoDe(C("não")), "C6");
  EXPECT_EQ(CodigoDe("zz"), "");
  EXPECT_EQ(CodigoDe(""), "");
}

TEST(DifonesTest, FormatoELista) {
  CarregaDifonesDeTexto(
      "; comentario\n! outro\n* mais\n\n  a  b  120\ne a\nr2\t_\n@-an\nm2 ..x..\nsozinho\n"
      " -x y\n");
  EXPECT_TRUE(ExisteDifone("a", "b"));
  EXPECT_TRUE(ExisteDifone("E", "a")) << "the list ignores case";
  EXPECT_TRUE(ExisteDifone("e", "A"));
  EXPECT_TRUE(ExisteDifone("r2", "_"));
  EXPECT_TRUE(ExisteDifone("@", "an"));
  EXPECT_TRUE(ExisteDifone("m2", "x"));
  EXPECT_FALSE(ExisteDifone("b", "a"));
  EXPECT_FALSE(ExisteDifone("sozinho", ""));
  EXPECT_FALSE(ExisteDifone(";", "comentario"));
  EXPECT_FALSE(ExisteDifone("", "x"));
  EXPECT_EQ(NumeroDeDifones(), 5u);
  EXPECT_FALSE(CarregaDifones("/nao/existe/portug.dfn"));
  EXPECT_EQ(NumeroDeDifones(), 0u);
  EXPECT_FALSE(ExisteDifone("a", "b"));
}

}  // namespace
}  // namespace mg
