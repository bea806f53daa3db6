// Readings a listener expects, over the shipped abbreviation and acronym files: money,
// clock times, dates, units and sizes, abbreviations that end a sentence, acronyms.
// Blanks are squeezed before comparing: the preprocessor pads numbers with blanks.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/uttsPreproc.h"
#include "engine/uttsPreprocLeituras.h"
#include "texto.h"

namespace mg {
namespace {

using teste::C;
using teste::U;

std::string Espremido(std::string s) {
  std::string r;
  for (char c : s) {
    if (c == ' ' && (r.empty() || r.back() == ' ')) continue;
    r += c;
  }
  while (!r.empty() && r.back() == ' ') r.pop_back();
  return r;
}

std::string P(const std::string& utf8) { return Espremido(U(PreProcessa(C(utf8)))); }

using Tabela = std::vector<std::pair<const char*, const char*>>;

class LeiturasTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(CarregaAbreviaturas(MG_SOURCE_DIR "/data/ondal/portug.abr"));
  }
  static void TearDownTestSuite() { CarregaAbreviaturasDeTexto(""); }
  static void Confere(const Tabela& casos) {
    for (const auto& [texto, esperado] : casos) EXPECT_EQ(P(texto), esperado) << texto;
  }
};

TEST_F(LeiturasTest, Dinheiro) {
  Confere({
      {"R$ 10,50", "dez reais e cinqüenta centavos"},
      {"R$ 1,00", "um real"},
      {"R$1", "um real"},
      {"R$ 0,05", "cinco centavos"},
      {"R$ 2,5", "dois reais e cinqüenta centavos"},
      {"R$ 1.250,99", "mil e duzentos e cinqüenta reais e noventa e nove centavos"},
      {"R$ 1.000.000,00", "um milhão de reais"},
      {"US$ 3", "três dólares"},
      {"custa R$ 7,01.", "custa sete reais e um centavo ."},
      {"R$", "reais"},
      {"em R$ ou dólar", "em reais ou dólar"},
      {"R$ 3,141", "reais três vírgula cento e quarenta e um"},  // not an amount
  });
}

TEST_F(LeiturasTest, Horas) {
  Confere({
      {"14h30", "quatorze horas e trinta minutos"},
      {"14h30min", "quatorze horas e trinta minutos"},
      {"1h", "uma hora"},
      {"2h05", "duas horas e cinco minutos"},
      {"22h01", "vinte e duas horas e um minuto"},
      {"às 10:30", "às dez horas e trinta minutos"},
      {"das 8:00 até 12:15", "das oito horas até doze horas e quinze minutos"},
      {"de 21:00", "de vinte e uma horas"},
      // not a time: no such hour or minute, or no word that asks for one
      {"25h", "vinte e cinco agá"},
      {"placar 10:30", "placar dez : trinta"},
      {"às 10:75", "às dez : setenta e cinco"},
  });
}

TEST_F(LeiturasTest, Datas) {
  Confere({
      {"25/12/2026", "vinte e cinco de dezembro de dois mil e vinte e seis"},
      {"1/5/2024", "primeiro de maio de dois mil e vinte e quatro"},
      {"01/01/2000", "primeiro de janeiro de dois mil"},
      {"29/02/2024", "vinte e nove de fevereiro de dois mil e vinte e quatro"},
      // not a date: the day does not exist, or the year is not four digits
      {"29/02/2023", "vinte e nove barra zero dois barra dois mil e vinte e três"},
      {"31/04/2020", "trinta e um barra zero quatro barra dois mil e vinte"},
      {"3/13/2020", "três barra treze barra dois mil e vinte"},
      {"1/2/33", "um barra dois barra trinta e três"},
  });
}

TEST_F(LeiturasTest, UnidadesETamanhos) {
  Confere({
      {"700 MB", "setecentos megabytes"},
      {"4,7 GB", "quatro vírgula sete gigabytes"},
      {"Cabe 4,7 GB.", "Cabe quatro vírgula sete gigabytes."},  // the point ends the sentence
      {"1 GB", "um gigabyte"},
      {"2 TB e 512 KB", "dois terabytes e quinhentos e doze quilobytes"},
      {"2 kg.", "dois quilos."},
      {"1 km", "um quilômetro"},
      {"MB", "ême bê"},  // no number: spelled as before
      {"tb", "tê bê"},   // no number, no point: spelled as before
  });
}

TEST_F(LeiturasTest, AbreviaturaNoFimDaFrase) {
  Confere({
      {"Fale com o Dr.", "Fale com o doutor."},
      {"livros, cadernos etc.", "livros, cadernos etcétera."},
      {"Sr. Silva", "senhor Silva"},
      {"S. Paulo", "São Paulo"},
      {"Sta. Catarina e Sto. André", "santa Catarina e santo André"},
      {"o item S.", "o item ésse."},
  });
}

TEST_F(LeiturasTest, Siglas) {
  Confere({
      {"o cabo USB", "o cabo u ésse bê"},
      {"dados do IBGE", "dados do i bê jê é"},
      {"GRAVAÇÃO TERMINADA", "GRAVAÇÃO TERMINADA"},  // all in capitals: read
      {"o CD", "o sê dê"},
  });
}

// The acronym list's pronunciations, amid small letters and in a text all in capitals;
// acronyms that are no Portuguese syllables are spelled even in capitals.
TEST_F(LeiturasTest, SiglasComPronunciaESiglasImpronunciaveis) {
  Confere({
      {"a ONU e a UNESCO", "a ônu e a unésco"},
      {"A ONU E A UNESCO", "A ônu E A unésco"},
      {"o ENEM do SESC", "o enêm do sésqui"},
      {"a NASA.", "a nása."},
      {"o SUS", "o SUS"},  // listed without a pronunciation: its letters as a word
      {"o INSS paga", "o i êne ésse ésse paga"},
      {"O INSS PAGA", "O i êne ésse ésse PAGA"},
      {"CPF E DVD", "sê pê éfe E dê vê dê"},
      {"O IBGE E A UERJ", "O i bê jê é E A uérji"},
      {"NOME DO CD OU DVD", "NOME DO sê dê OU dê vê dê"},
      {"A OAB", "A ó a bê"},
  });
}

TEST(Siglas, PronunciaveisComoSilabasDoPortugues) {
  for (const char* sim : {"ONU", "NASA", "ENEM", "OTAN", "DETRAN", "ISSO", "ENTER", "SENHA", "OBRA",
                          "TEXTO", "FLOR", "QUAL", "TRANS", "PARES"})
    EXPECT_TRUE(preproc::SiglaPronunciavel(sim)) << sim;
  for (const char* nao :
       {"INSS", "SESC", "IBGE", "USP", "OAB", "CPF", "UERJ", "ONGS", "QATAR", "SP", "", "A1"})
    EXPECT_FALSE(preproc::SiglaPronunciavel(nao)) << nao;
}

}  // namespace
}  // namespace mg
