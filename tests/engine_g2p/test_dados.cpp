// The shipped rule and exception files (data/ondal): today's spelling, the data errors
// once found in them, and both spellings of every reformed word reading alike.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/cp1252.h"
#include "engine/uttsPortug.h"
#include "legacy/dicionario.h"
#include "reforma_semente.h"

namespace mg {
namespace {

// The phonemes of one word (UTF-8) in one line: "k >a z a".
std::string Fonemas(const std::string& palavra) {
  return Cp1252ToUtf8(LinhaDeFonemas(Fonemiza({"555|" + Utf8ToCp1252(palavra)})));
}

class DadosMotor : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(RegrasMotor().CarregaRegras(MG_SOURCE_DIR "/data/ondal/portug.nrl"));
    ASSERT_TRUE(ExcecoesMotor().CarregaExcecoes(MG_SOURCE_DIR "/data/ondal/portug.exc"));
  }
  static void Confere(const std::vector<std::pair<const char*, const char*>>& casos) {
    for (const auto& [palavra, esperado] : casos) EXPECT_EQ(Fonemas(palavra), esperado) << palavra;
  }
};

TEST_F(DadosMotor, OrtografiaDeHoje) {
  Confere({
      {"ideia", "i d >ee i a"},
      {"assembleia", "a s en b l >ee i a"},
      {"joia", "j >oo i a"},
      {"heroico", "e r >oo i k w"},
      {"asteroide", "a s2 t e r >oo i d y"},
      {"cinquenta", "s in k w >en t a"},
      {"tranquilo", "t r an k w >i l w"},
      {"frequente", "f r e k w >en t y"},
      {"linguiça", "l in g w >i s a"},
      {"pinguim", "p in g w >in"},
      {"aguentar", "a g w en t >a r2"},
      {"voo", "v >o w"},
      {"enjoo", "en j >o w"},
      {"leem", "l >e en i"},
      {"veem", "v >e en i"},
      // the same letters without a lost accent or diaeresis keep their reading
      {"cheia", "x >e i a"},
      {"quente", "k >en t y"},
      {"guerra", "g >ee rr a"},
  });
}

TEST_F(DadosMotor, ErrosCorrigidos) {
  Confere({
      {"muito", "m >un i t w"},
      {"muitas", "m >un i t a s2"},
      {"pela", "p >e l a"},
      {"chega", "x >e g a"},
      {"zero", "z >ee r w"},
      {"dezessete", "d e z e s >ee t y"},
      {"sexto", "s >e s2 t w"},
      {"governo", "g o v >e r2 n w"},
      {"mole", "m >oo l y"},
      {"parcelas", "p a r2 s >ee l a s2"},
      {"êxito", ">e z i t w"},
      {"hexágono", "e z >a g o n w"},
      {"ótimo", ">oo t i m w"},
      {"página", "p >a j i n a"},
      {"último", ">u w t i m w"},
      {"vigésimo", "v i j >ee z i m w"},
      {"reais", "rr e >a i s2"},
      // a stressed vowel before m or n stays nasal
      {"cama", "k >an m a"},
      {"primo", "p r >in m w"},
      // unaccented one-syllable words in -os, -es are unstressed, like o, do, que
      {"os", ">w s2"},
      {"dos", "d >w s2"},
      {"pros", "p r >w s2"},
      {"lhes", "lh >y s2"},
      {"nós", "n >oo s2"},
      {"voz", "v >oo s2"},
  });
}

// Rules learned from the lexicon follow its majority; everyday words where that majority
// is not how Brazilians say them are exceptions. Also the readings added with them.
TEST_F(DadosMotor, PalavrasDoDiaADia) {
  Confere({
      {"certo", "s >ee r2 t w"},
      {"rede", "rr >e d y"},
      {"peça", "p >ee s a"},
      {"logo", "l >oo g w"},
      {"porto", "p >o r2 t w"},
      {"depois", "d e p >o i s2"},
      {"doze", "d >o z y"},
      {"tiveram", "t i v >ee r @ m2"},  // strong past tenses: open e in every form
      {"pudesse", "p u d >ee s y"},
      {"venderam", "v en d >e r @ m2"},
      {"desse", "d >e s y"},
      {"nessa", "n >ee s a"},
      {"megabytes", "m e g a b >a i t y s2"},
      {"janela", "j a n >ee l a"},
      {"bolo", "b >o l w"},
      {"festa", "f >ee s2 t a"},
      {"triste", "t r >i x t y"},
      {"area", "a r >i a"},
      {"aeronave", "a ee r o n >a v y"},
  });
}

// Every word of the reform list, in its old and its new spelling.
TEST_F(DadosMotor, AsDuasGrafiasSoamIgual) {
  const std::vector<std::string> palavras =
      teste::PalavrasDaSemente(MG_SOURCE_DIR "/tools/g2p/reforma-semente.txt");
  for (const std::string& antiga : palavras)
    EXPECT_EQ(Fonemas(teste::Reformada(antiga)), Fonemas(antiga)) << antiga;
  EXPECT_GT(palavras.size(), 100u);
}

}  // namespace
}  // namespace mg
