// The shipped legacy rules and exceptions: they load cleanly, read ordinary words as
// Brazilian Portuguese, and cut words into units the synthesizer takes whole.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "legacy/sninter.h"

namespace mg {
namespace {

class RegrasDistribuidas : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(CarregaRegras(MG_LEGACY_DATA "/regras.rgr"));
    ASSERT_TRUE(CarregaExcecoes(MG_LEGACY_DATA "/portug.exc"));
  }
  static void TearDownTestSuite() { LiberaRegras(); }
};

TEST_F(RegrasDistribuidas, LoadWithoutSkippedLinesOrCutOutputs) {
  EXPECT_EQ(RegrasLegado().Estatistica().invalidas, 0);
  EXPECT_GT(RegrasLegado().Quantidade(), 200u);
  EXPECT_EQ(ExcecoesLegado().Estatistica().invalidas, 0);
  EXPECT_GT(ExcecoesLegado().Quantidade(), 100);
  // No output is longer than the 11 characters the table keeps.
  std::ifstream in(MG_LEGACY_DATA "/regras.rgr");
  std::string linha;
  while (std::getline(in, linha)) {
    if (linha.empty() || linha[0] == ';') continue;
    const size_t igual = linha.find('=');
    ASSERT_NE(igual, std::string::npos) << linha;
    const std::string saida = linha.substr(igual + 1, linha.find('|', igual) - igual - 1);
    EXPECT_LE(saida.size(), kLarguraSaidaLegado) << linha;
    EXPECT_EQ(saida.find_first_of("[]_"), std::string::npos) << linha;
  }
}

TEST_F(RegrasDistribuidas, OrdinaryWords) {
  const std::vector<std::pair<const char*, const char*>> casos = {
      {"casa", "[ k/A/ z/a^]"},
      {"p\xe3o", "[ p/A~w]"},
      {"voc\xea", "[ v/o^/ s/E^]"},
      {"cadeira", "[ k/a/ d/E^/y/ r/a^]"},
      {"saindo", "[ s/a /I~/ d/u]"},
      {"rainha", "[ rr/a /I~/ nh/a^]"},
      {"carro", "[ k/A/ rr/u]"},
      {"mar", "[ m/a/rr]"},
      {"sal", "[ s/A/w]"},
      {"dia", "[ dj/I /a^]"},
      {"gente", "[ j/E~/ tch/i]"},
      {"quero", "[ k/E/ r/u]"},  // open e, as it is said
      {"quatro", "[ kw/A/ t/ r/u]"},
      {"\xe1gua", "[A/ gw/a^]"},
      {"chave", "[ x/A/ v/i]"},
      {"filho", "[ f/I/ lh/u]"},
      {"campo", "[ k/A~/ p/u]"},
      {"Grava\xe7\xe3o", "[ g/ r/a/ v/a/ s/A~w]"},
      {"guerra", "[ g/E/ rr/a^]"},            // exception: open e
      {"pr\xf3ximo", "[ p/ r/O/ s/i/ m/u]"},  // exception: x as ss
      {"casas", "[ k/A/ z/a^/s]"},
      {"e", "[i]"},
      {"o", "[u]"},
  };
  for (const auto& [texto, esperado] : casos) EXPECT_EQ(TraduzTexto(texto), esperado) << texto;
}

// Units are what lies between blanks and brackets; "/" joins pieces while the unit has
// at most 8 characters, and a longer unit would be cut with a pause in the middle of a
// word. Every unit of these sentences stays within 8 characters and holds one vowel.
TEST_F(RegrasDistribuidas, UnitsAreSyllables) {
  const char* frases[] = {
      "Mini Gravador de CD para Windows",
      "Insira o CD e aperte Enter quando pronto",
      "Grava\xe7\xe3o iniciada. Grava\xe7\xe3o terminada. Erro de grava\xe7\xe3o",
      "Qual \xe9 o diret\xf3rio que deseja gravar?",
      "o menino comeu o bolo de chocolate na casa da av\xf3",
      "hoje \xe9 sexta-feira e amanh\xe3 \xe9 s\xe1"
      "bado",
      "os brasileiros gostam de futebol, muito bem",
      "a inicializa\xe7\xe3o do sistema n\xe3o encontrou nenhum disco",
      "transplante instru\xe7\xf5"
      "es subst\xe2ncia psic\xf3logo advogado ritmo",
  };
  for (const char* f : frases) {
    const std::string r = TraduzTexto(f);
    std::string unidade;
    auto fecha = [&] {
      EXPECT_LE(unidade.size(), 8u) << f << ": " << unidade;
      int vogais = 0;
      for (char c : unidade) vogais += std::string("aeiouAEIOU").find(c) != std::string::npos;
      if (!unidade.empty() && unidade[0] != '_') {
        EXPECT_LE(vogais, 1) << f << ": " << unidade;
      }
      unidade.clear();
    };
    for (size_t i = 0; i < r.size(); ++i) {
      const char c = r[i];
      if (c == '_' && i + 1 < r.size()) {
        unidade += c;
        unidade += r[++i];
      } else if (c == ' ' || c == '[' || c == ']') {
        fecha();
      } else if (c != '/') {
        unidade += c;
      }
    }
    fecha();
  }
}

}  // namespace
}  // namespace mg
