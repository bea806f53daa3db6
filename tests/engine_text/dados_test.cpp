// The shipped data files: they load cleanly, cover the br4 voice, and the whole text
// pipeline over them gives well-formed MBROLA input.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "engine/uttsPreproc.h"
#include "engine/uttsProsodia.h"
#include "engine/uttsTextoPho.h"
#include "legacy/dicionario.h"
#include "texto.h"

namespace mg {
namespace {

using teste::C;
using teste::U;

const std::string kDados = MG_SOURCE_DIR "/data/ondal/";
const std::string kShared = MG_SOURCE_DIR "/../shared/data/";

std::vector<std::string> LinhasDe(const std::string& caminho) {
  std::ifstream in(caminho);
  std::vector<std::string> r;
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l[0] != '#') r.push_back(l);
  }
  return r;
}

std::set<std::string> FonemasBr4() {
  std::set<std::string> f;
  for (const std::string& l : LinhasDe(kShared + "br4-phonemes.txt")) {
    std::istringstream s(l);
    std::string nome;
    s >> nome;
    f.insert(nome);
  }
  return f;
}

class DadosTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    teste::Avisos avisos;
    carregou_ = CarregaProsodia(kDados + "portug.pro") && CarregaDifones(kDados + "portug.dfn") &&
                CarregaAbreviaturas(kDados + "portug.abr");
    avisos_ = avisos.lista;
  }
  static bool carregou_;
  static std::vector<std::string> avisos_;
};
bool DadosTest::carregou_ = false;
std::vector<std::string> DadosTest::avisos_;

TEST_F(DadosTest, CarregamSemAvisos) {
  EXPECT_TRUE(carregou_);
  EXPECT_TRUE(avisos_.empty()) << avisos_.front();
  EXPECT_GT(NumeroDeAbreviaturas(), 100);
  EXPECT_GT(Chaves().size(), 50u);
}

TEST_F(DadosTest, DuracoesCobremAVoz) {
  const std::set<std::string> br4 = FonemasBr4();
  if (br4.empty()) GTEST_SKIP() << "br4 phoneme list not found";
  ASSERT_GT(br4.size(), 35u);
  for (const std::string& f : br4) {
    bool achou = false;
    for (const TDuracao& d : Duracoes()) achou |= d.fonema == f;
    EXPECT_TRUE(achou) << f;
  }
  for (const char* p : {"__", "_,", "_.", "_!", "_?", "_:", "_;", "_(", "_)"}) {
    EXPECT_NE(DuracaoDe(p), 100) << p;
  }
  EXPECT_LT(DuracaoDe("y"), DuracaoDe("i")) << "reduced vowels are shorter";
  EXPECT_LT(DuracaoDe("_,"), DuracaoDe("_."));
}

TEST_F(DadosTest, DifonesSaoOsDaVoz) {
  const std::vector<std::string> lista = LinhasDe(kShared + "br4-diphones.txt");
  if (lista.empty()) GTEST_SKIP() << "br4 diphone list not found";
  EXPECT_EQ(NumeroDeDifones(), lista.size());
  for (const std::string& l : lista) {
    std::istringstream s(l);
    std::string a, b;
    s >> a >> b;
    EXPECT_TRUE(ExisteDifone(a, b)) << l;
  }
}

TEST_F(DadosTest, EntoacaoDeAfirmacaoPerguntaEVirgula) {
  auto padraoAntesDe = [](const std::string& texto, const std::string& palavra) {
    for (const std::string& p : AtribuiPadroes(Tokeniza(PreProcessa(C(texto))), true)) {
      if (U(p.substr(4)) == palavra) return p.substr(0, 3);
    }
    return std::string("?");
  };
  const std::string afirma = padraoAntesDe("Ela chegou cedo.", "cedo");
  const std::string pergunta = padraoAntesDe("Ela chegou cedo?", "cedo");
  const std::string virgula = padraoAntesDe("Ela chegou cedo, e saiu.", "cedo");
  const std::string exclama = padraoAntesDe("Ela chegou cedo!", "cedo");
  const auto& e = EscalaFrequencias();
  auto nivel = [&](char d) { return e[static_cast<size_t>(d - '0')]; };
  EXPECT_GT(nivel(afirma[1]), nivel(afirma[2])) << "a statement falls at the end: " << afirma;
  EXPECT_GT(nivel(pergunta[1]), nivel(afirma[1])) << "a question peaks higher: " << pergunta;
  EXPECT_GT(nivel(virgula[2]), nivel(virgula[1])) << "before a comma it rises: " << virgula;
  EXPECT_GT(nivel(exclama[1]), nivel(afirma[1])) << exclama;
  EXPECT_GT(FrequenciaBase(), 150) << "a female voice";
}

TEST_F(DadosTest, AbreviaturasComuns) {
  EXPECT_EQ(U(PreProcessa(C("Sr. Silva e Dra. Ana"))), "senhor Silva e doutora Ana");
  EXPECT_EQ(U(PreProcessa(C("ver pág. 12, etc. e tal"))), "ver página  doze , etcétera e tal");
  EXPECT_EQ(U(PreProcessa(C("Av. Brasil, nº 5"))), "avenida Brasil, número  cinco ");
  EXPECT_EQ(U(PreProcessa(C("R$ 3"))), " três reais ");
}

TEST_F(DadosTest, LinhasMbrolaBemFormadas) {
  if (!RegrasMotor().CarregaRegras(kDados + "portug.nrl") ||
      !ExcecoesMotor().CarregaExcecoes(kDados + "portug.exc"))
    GTEST_SKIP() << "letter-to-phoneme data missing";
  const std::set<std::string> br4 = FonemasBr4();
  if (br4.empty()) GTEST_SKIP() << "br4 phoneme list not found";
  const std::string texto =
      C("O Sr. Silva, de 45 anos, comprou 1.200 livros no dia 3/5/2024 por R$ 15.300,50! "
        "Você já leu o 21º capítulo? Ligue para 2345-6789... Até amanhã; (fim) XYZ: ok.\n"
        "\x01\x80\x9f\xff ~~~ 0000000000000000000001 ?!?");
  int fonemas = 0;
  for (const std::string& l : TextoParaPho(texto, 1.0, 1.0)) {
    if (l.empty() || l[0] == ';') continue;
    std::istringstream s(l);
    std::string f;
    long dur = -1, pos = -1, freq = -1;
    s >> f >> dur;
    EXPECT_TRUE(br4.count(f)) << "unknown phoneme: " << l;
    EXPECT_GE(dur, 0) << l;
    EXPECT_LT(dur, 1000) << l;
    if (s >> pos >> freq) {
      EXPECT_TRUE(pos == 50 || pos == 80) << l;
      EXPECT_GT(freq, 100) << l;
      EXPECT_LT(freq, 400) << l;
    }
    EXPECT_TRUE(s.eof()) << l;
    ++fonemas;
  }
  EXPECT_GT(fonemas, 200);
}

// br4 has no diphone from a nasal vowel to the glide w: "com o" says the article as the
// full vowel u, with no pause or y put in between.
TEST_F(DadosTest, ComOSemSemivogalInserida) {
  if (!RegrasMotor().CarregaRegras(kDados + "portug.nrl") ||
      !ExcecoesMotor().CarregaExcecoes(kDados + "portug.exc"))
    GTEST_SKIP() << "letter-to-phoneme data missing";
  std::vector<std::string> fonemas;
  for (const std::string& l : TextoParaPho(C("com o som o"), 1.0, 1.0)) {
    if (!l.empty() && l[0] != ';') fonemas.push_back(l.substr(0, l.find(' ')));
  }
  const std::vector<std::string> esperado{"_", "k", "on", "u", "s", "on", "u", "_"};
  EXPECT_EQ(fonemas, esperado);
}

}  // namespace
}  // namespace mg
