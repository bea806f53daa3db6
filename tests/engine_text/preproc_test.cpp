#include <gtest/gtest.h>

#include <string>

#include "engine/uttsPreproc.h"
#include "texto.h"

namespace mg {
namespace {

using teste::C;
using teste::U;

std::string P(const std::string& utf8) { return U(PreProcessa(C(utf8))); }

class PreProcessaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CarregaAbreviaturasDeTexto(
        C("; teste\nSR = senhor\nsra=senhora\nDr=doutor\npág = página\nNº = número\n"
          "R$ = reais\ntel = telefone\n"));
  }
  void TearDown() override { CarregaAbreviaturasDeTexto(""); }
};

TEST(ExtensoTest, Cardinais) {
  EXPECT_EQ(U(ExtensoCardinal(0)), "zero");
  EXPECT_EQ(U(ExtensoCardinal(15)), "quinze");
  EXPECT_EQ(U(ExtensoCardinal(21)), "vinte e um");
  EXPECT_EQ(U(ExtensoCardinal(55)), "cinqüenta e cinco");
  EXPECT_EQ(U(ExtensoCardinal(100)), "cem");
  EXPECT_EQ(U(ExtensoCardinal(101)), "cento e um");
  EXPECT_EQ(U(ExtensoCardinal(110)), "cento e dez");
  EXPECT_EQ(U(ExtensoCardinal(999)), "novecentos e noventa e nove");
  EXPECT_EQ(U(ExtensoCardinal(1000)), "mil ");
  EXPECT_EQ(U(ExtensoCardinal(1001)), "mil e um");
  EXPECT_EQ(U(ExtensoCardinal(1100)), "mil e cem");
  EXPECT_EQ(U(ExtensoCardinal(1234)), "mil e duzentos e trinta e quatro");
  EXPECT_EQ(U(ExtensoCardinal(2000)), "dois mil ");
  EXPECT_EQ(U(ExtensoCardinal(100000)), "cem mil ");
  EXPECT_EQ(U(ExtensoCardinal(1000000)), "um milhão ");
  EXPECT_EQ(U(ExtensoCardinal(1000001)), "um milhão e um");
  EXPECT_EQ(U(ExtensoCardinal(2500000)), "dois milhões e quinhentos mil ");
  EXPECT_EQ(U(ExtensoCardinal(1001000)), "um milhão e um mil ");
  EXPECT_EQ(U(ExtensoCardinal(3000000000)), "três bilhões ");
  EXPECT_EQ(U(ExtensoCardinal(999999999999999)),
            "novecentos e noventa e nove trilhões novecentos e noventa e nove bilhões "
            "novecentos e noventa e nove milhões novecentos e noventa e nove mil e "
            "novecentos e noventa e nove");
}

TEST(ExtensoTest, Ordinais) {
  EXPECT_EQ(U(ExtensoOrdinal(1, false)), "primeiro");
  EXPECT_EQ(U(ExtensoOrdinal(2, false)), "segundo");
  EXPECT_EQ(U(ExtensoOrdinal(21, true)), "vigésima primeira");
  EXPECT_EQ(U(ExtensoOrdinal(100, false)), "centésimo");
  EXPECT_EQ(U(ExtensoOrdinal(1999, true)), "milésima nongentésima nonagésima nona");
  EXPECT_EQ(U(ExtensoOrdinal(1000, false)), "milésimo");
  EXPECT_EQ(U(ExtensoOrdinal(2000, false)), "dois mil ");
  EXPECT_EQ(U(ExtensoOrdinal(0, true)), "zero");
  EXPECT_EQ(U(ExtensoOrdinal(21, false, true)), "vigésimos primeiros");
}

TEST_F(PreProcessaTest, SinaisEPausas) {
  EXPECT_EQ(P("-5"), "menos  cinco ");
  EXPECT_EQ(P("5 - 3"), " cinco  ,  três ");
  EXPECT_EQ(P("ai - oi"), "ai , oi");
  EXPECT_EQ(P("a - b"), "a ,  bê") << "a lone consonant is spelled";
  EXPECT_EQ(P("x-y"), " xis traço ípsilon") << "a hyphen after a letter belongs to the word";
  EXPECT_EQ(P("5-3"), "  cinco traço três ");
}

TEST_F(PreProcessaTest, Milhares) {
  EXPECT_EQ(P("1.000"), " mil  ");
  EXPECT_EQ(P("1.000 reais"), " mil   reais");
  EXPECT_EQ(P("1.0000"), " um ponto zero zero zero zero ");
  EXPECT_EQ(P("1.000.000"), " um milhão  ");
  EXPECT_EQ(P("12.50"), " doze ponto cinqüenta ");
  EXPECT_EQ(P("1.000,5"), " mil  vírgula cinco ");
}

TEST_F(PreProcessaTest, DecimaisZerosETelefones) {
  EXPECT_EQ(P("3,05"), " três vírgula zero cinco ");
  EXPECT_EQ(P("007"), " zero zero sete ");
  EXPECT_EQ(P("0"), "zéro") << "a lone digit is read by its name";
  EXPECT_EQ(P("00"), " zero zero ");
  EXPECT_EQ(P("123-45"), "  um dois três traço quatro cinco ");
  EXPECT_EQ(P("5,"), " cinco ,") << "a comma not followed by a digit stays punctuation";
}

TEST_F(PreProcessaTest, QuinzeDigitos) {
  EXPECT_EQ(P("12345678901234567"),
            " cento e vinte e três trilhões quatrocentos e cinqüenta e seis bilhões "
            "setecentos e oitenta e nove milhões doze mil e trezentos e quarenta e cinco "
            " sessenta e sete ");
  EXPECT_EQ(
      P("000000000000000001"), std::string(" ") +
                                   [] {
                                     std::string z;
                                     for (int i = 0; i < 17; ++i) z += "zero ";
                                     return z;
                                   }() +
                                   "um ")
      << "leading zeros do not count toward the 15 digits";
}

TEST_F(PreProcessaTest, Ordinais) {
  EXPECT_EQ(P("21ª"), " vigésima primeira ");
  EXPECT_EQ(P("1999ª"), " milésima nongentésima nonagésima nona ");
  EXPECT_EQ(P("2000º"), " dois mil  ");
  EXPECT_EQ(P("2º"), " segundo ");
  EXPECT_EQ(P("3o. lugar"), " terceiro  lugar");
  EXPECT_EQ(P("3a. vez"), " terceira  vez");
  EXPECT_EQ(P("1os. colocados"), " primeiros  colocados");
  EXPECT_EQ(P("21as."), " vigésimas primeiras ");
  EXPECT_EQ(P("007º"), " sétimo ") << "no leading zeros before an ordinal";
  EXPECT_EQ(P("5ola"), " cinco ola") << "only 'o.' makes an ordinal";
}

TEST_F(PreProcessaTest, Abreviaturas) {
  EXPECT_EQ(P("Sr. Silva"), "senhor Silva");
  EXPECT_EQ(P("Sra. Silva"), "senhora Silva");
  EXPECT_EQ(P("fale com o DR. Paulo"), "fale com o doutor Paulo");
  EXPECT_EQ(P("Sr."), "senhor.") << "expanded at the end too; the point ends the sentence";
  EXPECT_EQ(P("Sr"), " ésse érre") << "an unknown consonant word is spelled";
  EXPECT_EQ(P("ver pág. 3"), "ver página  três ");
  EXPECT_EQ(P("PÁG. 3"), "página  três ") << "keys compare upper-cased, accents included";
  EXPECT_EQ(P("nº 5"), "número  cinco ");
  EXPECT_EQ(P("R$ 10"), " dez reais ") << "an amount is read before its currency";
  EXPECT_EQ(P("tel.: 3"), "tel ponto :  três ") << "the point must be followed by a blank";
}

TEST_F(PreProcessaTest, PalavrasSoletradas) {
  EXPECT_EQ(P("ABC"), " a bê  sê") << "capitals that are no Portuguese syllables";
  EXPECT_EQ(P("ABA"), "ABA");
  EXPECT_EQ(P("XYZ"), " xis ípsilon zê");
  EXPECT_EQ(P("CPF"), "  sê pê éfe");
  EXPECT_EQ(P("Ç"), "Cê cedilha");
}

TEST_F(PreProcessaTest, SimbolosEPontos) {
  EXPECT_EQ(P("?"), "interrogação");
  EXPECT_EQ(P("à"), "");
  EXPECT_EQ(P("a"), "a");
  EXPECT_EQ(P("C"), " sê");
  EXPECT_EQ(P("ah..."), "ah... ");
  EXPECT_EQ(P("site.com"), "site ponto com");
  EXPECT_EQ(P("fim."), "fim.");
  EXPECT_EQ(P("a+e"), "a mais e");
  EXPECT_EQ(P("50%"), " cinqüenta  porcento ");
  EXPECT_EQ(P("(sim!)"), "(sim!)");
  EXPECT_EQ(P("ai\tou\r\neu"), "ai ou  eu") << "tabs and line ends separate words";
}

TEST(NomeDoCaractereTest, Tabela) {
  EXPECT_EQ(U(NomeDoCaractere(' ')), "espaço");
  EXPECT_EQ(U(NomeDoCaractere('0')), "zéro");
  EXPECT_EQ(U(NomeDoCaractere('@')), "arrôba");
  EXPECT_EQ(U(NomeDoCaractere('Z')), "zê");
  EXPECT_EQ(U(NomeDoCaractere('z')), "zê");
  EXPECT_EQ(U(NomeDoCaractere('`')), "crase");
  EXPECT_EQ(U(NomeDoCaractere('~')), "til");
  EXPECT_EQ(U(NomeDoCaractere('\xa1')), "exclamação reversa");
  EXPECT_EQ(U(NomeDoCaractere('\xbf')), "interrogação reversa");
  EXPECT_EQ(U(NomeDoCaractere('\xdc')), "U com trema");
  EXPECT_EQ(U(NomeDoCaractere('\xe1')), "A agudo");
  EXPECT_EQ(U(NomeDoCaractere('\xf7')), "vezes");
  EXPECT_EQ(U(NomeDoCaractere('\xfc')), "U com trema");
  for (int c : {0, 9, 31, 127, 128, 0x8a, 0x9f, 160, 221, 222, 223, 224, 253, 254, 255})
    EXPECT_EQ(NomeDoCaractere(static_cast<char>(c)), "") << c;
}

TEST_F(PreProcessaTest, QualquerSequenciaDeBytes) {
  // A lone character reads as its name; only "N com til" changes, its N being spelled.
  for (int c = 0; c < 256; ++c) {
    const std::string um(1, static_cast<char>(c));
    if (c == 0xD1 || c == 0xF1) continue;
    EXPECT_EQ(PreProcessa(um), NomeDoCaractere(static_cast<char>(c))) << c;
  }
  EXPECT_EQ(U(PreProcessa("\xd1")), " êne com til");
  EXPECT_EQ(PreProcessa(std::string("a\x01"
                                    "e")),
            "a  e");
  EXPECT_EQ(PreProcessa("\x80\x9f"), "    ");
  EXPECT_EQ(PreProcessa(std::string(3, '\0')), "      ");
  EXPECT_EQ(PreProcessa("?!.,;:"), "?! ponto ,;:");
  EXPECT_EQ(PreProcessa("?!. ,;:"), "?!. ,;:");
  EXPECT_EQ(PreProcessa(""), "");

  const std::string longo = PreProcessa(std::string(100000, '1'));
  EXPECT_NE(longo.find("trilh\xf5"
                       "es"),
            std::string::npos);
  EXPECT_EQ(longo.find_first_of("0123456789"), std::string::npos);
  const std::string zeros = PreProcessa(std::string(100000, '0'));
  EXPECT_EQ(zeros.size(), 1 + 99999 * 5 + 4 + 1);
}

TEST(AbreviaturasTest, Carga) {
  teste::Avisos avisos;
  CarregaAbreviaturasDeTexto(
      C("  ; comentário\n\nsem igual\n  Av. = avenida  \r\nav=outra\n"
        "ÉPOCA=x\n"));
  EXPECT_EQ(NumeroDeAbreviaturas(), 4) << "a line without '=' still counts";
  EXPECT_EQ(Abreviatura(C("av.")), "avenida") << "first entry wins; key kept as written";
  EXPECT_EQ(Abreviatura("AV"), "outra");
  EXPECT_EQ(Abreviatura(C("época")), "x");
  EXPECT_EQ(Abreviatura(""), "");
  EXPECT_TRUE(avisos.lista.empty());

  std::string muitas;
  for (int i = 0; i < 2100; ++i)
    muitas += "k" + std::to_string(i) + "=v" + std::to_string(i) + "\n";
  CarregaAbreviaturasDeTexto(muitas);
  EXPECT_EQ(NumeroDeAbreviaturas(), kMaxAbreviaturas);
  EXPECT_EQ(Abreviatura("K1999"), "v1999");
  EXPECT_EQ(Abreviatura("K2000"), "");
  ASSERT_EQ(avisos.lista.size(), 1u);
  EXPECT_NE(avisos.lista[0].find("k2000=v2000"), std::string::npos);

  CarregaAbreviaturasDeTexto("k=" + std::string(1000, 'x'));
  EXPECT_EQ(Abreviatura("k").size(), 255u);
  EXPECT_FALSE(CarregaAbreviaturas("/nao/existe/portug.abr"));
  EXPECT_EQ(NumeroDeAbreviaturas(), 0);
}

}  // namespace
}  // namespace mg
