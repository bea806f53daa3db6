// The shipped legacy rules and exceptions on today's spelling and on the data errors
// once found in them; both spellings of every reformed word give the same units.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../engine_g2p/reforma_semente.h"
#include "common/cp1252.h"
#include "legacy/sninter.h"

namespace mg {
namespace {

std::string T(const std::string& utf8) { return TraduzTexto(Utf8ToCp1252(utf8)); }

// The units without the stress step's capitals: a word written with an accent is not
// marked by that step, its rules write the stressed vowel themselves.
std::string SemCaixa(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

class DadosLegado : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(CarregaRegras(MG_LEGACY_DATA "/regras.rgr"));
    ASSERT_TRUE(CarregaExcecoes(MG_LEGACY_DATA "/portug.exc"));
  }
  static void TearDownTestSuite() { LiberaRegras(); }
  static void Confere(const std::vector<std::pair<const char*, const char*>>& casos) {
    for (const auto& [palavra, esperado] : casos) EXPECT_EQ(T(palavra), esperado) << palavra;
  }
};

TEST_F(DadosLegado, OrtografiaDeHoje) {
  Confere({
      {"ideia", "[i/ d/E/y /a^]"},
      {"assembleia", "[a/ s/e~/ b/ l/E/y /a^]"},
      {"joia", "[ j/O/y /a^]"},
      {"heroico", "[ /e^/ r/O/y/ k/u]"},
      {"asteroide", "[a/s/ t/e^/ r/O/y/ dj/i]"},
      {"cinquenta", "[ s/i~/ kw/E~/ t/a^]"},
      {"tranquilo", "[ t/ r/a~/ kw/I/ l/u]"},
      {"linguiça", "[ l/i~/ gw/I/ s/a^]"},
      {"pinguim", "[ p/i~/ gw/I~]"},
      {"aguentar", "[a/ gw/e~/ t/A/rr]"},
      {"voo", "[ v/O^ /u]"},
      {"leem", "[ l/E^ /e~y]"},
      {"cheia", "[ x/E^/y /a^]"},
      {"quente", "[ k/E~/ tch/i]"},
  });
}

TEST_F(DadosLegado, ErrosCorrigidos) {
  Confere({
      {"muito", "[ m/U~/y/ t/u]"},
      {"pela", "[ p/E^/ l/a^]"},
      {"chega", "[ x/E^/ g/a^]"},
      {"zero", "[ z/E/ r/u]"},
      {"dezessete", "[ d/e^/ z/e^/ s/E/ tch/i]"},
      {"sexto", "[ s/E^/s/ t/u]"},
      {"governo", "[ g/o^/ v/E^/rr/ n/u]"},
      {"mole", "[ m/O/ l/i]"},
      {"parcelas", "[ p/a/rr/ s/E/ l/a^/s]"},
      {"êxito", "[E^/ z/i/ t/u]"},
      {"hexágono", "[e^/ z/A/ g/o^/ n/u]"},
      {"reais", "[ rr/e^ /A/y/s]"},
      {"cama", "[ k/A~/ m/a^]"},
      {"menina", "[ m/e^/ n/I~/ n/a^]"},
      {"caixa", "[ k/A/y/ x/a^]"},
      {"táxi", "[ t/A/ ks/i]"},
  });
}

TEST_F(DadosLegado, AsDuasGrafiasSoamIgual) {
  const std::vector<std::string> palavras =
      teste::PalavrasDaSemente(MG_SOURCE_DIR "/tools/g2p/reforma-semente.txt");
  for (const std::string& antiga : palavras)
    EXPECT_EQ(SemCaixa(T(teste::Reformada(antiga))), SemCaixa(T(antiga))) << antiga;
  EXPECT_GT(palavras.size(), 100u);
}

// "!" holds only where the rule starts at the vowel the stress step marked.
TEST_F(DadosLegado, ContextoDaSilabaTonica) {
  EXPECT_EQ(T("cama"), "[ k/A~/ m/a^]");
  EXPECT_EQ(T("camada"), "[ k/a^/ m/A/ d/a^]") << "an unstressed a before m is not nasal";
}

}  // namespace
}  // namespace mg
