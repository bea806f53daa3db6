#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/uttsProsodia.h"
#include "texto.h"

namespace mg {
namespace {

using teste::C;
using teste::U;
using Linhas = std::vector<std::string>;

const char* const kBase =
    "[DURAÇÃO]\na=100\nb=100\nk=80\nz=90\nx=120\ns2=60\n_,=300\n__=200\n"
    "[CHAVES]\nque=QU\n"
    "[PROSÓDIA]\nTABHERTZ=0,75,80,85,90,100,105,110,120,130\n";

void Carrega(const std::string& regras = "", const std::string& difones = "") {
  ASSERT_TRUE(CarregaProsodiaDeTexto(C(kBase + regras)));
  CarregaDifonesDeTexto(difones);
}

// Every pair of the phonemes named, so that no repair line appears.
std::string TodosOsDifones() {
  const char* f[] = {"_", "a", "b", "k", "z", "y", "e", "r2"};
  std::string r;
  for (const char* x : f)
    for (const char* y : f) r += std::string(x) + " " + y + "\n";
  return r;
}

TEST(TokenizaTest, ExemplosDoTexto) {
  Carrega();
  EXPECT_EQ(Tokeniza("ola, mundo."),
            (Linhas{"[--]", "[XX]ola", "[,,],", "[XX]mundo", "[..].", "[--]"}));
  EXPECT_EQ(Tokeniza("ah..."), (Linhas{"[--]", "[XX]ah", "[.-].", "[--]"}));
  EXPECT_EQ(Tokeniza("que bom! sim? ok"), (Linhas{"[--]", "[QU]que", "[XX]bom", "[!!]!", "[--]",
                                                  "[XX]sim", "[??]?", "[--]", "[XX]ok"}));
  EXPECT_EQ(U(Tokeniza(C("  ação(é)  "))), (Linhas{"[--]", "[XX]ação", "[((](", "[XX]é", "[))])"}));
  EXPECT_EQ(Tokeniza(""), Linhas{"[--]"});
  EXPECT_EQ(Tokeniza("   "), Linhas{"[--]"});
  EXPECT_EQ(Tokeniza(std::string("a\0b", 3)),
            (Linhas{"[--]", "[XX]a", std::string("[\0\0]\0", 5), "[XX]b"}));
}

TEST(AtribuiPadroesTest, RegrasEMemoria) {
  Carrega();
  const Linhas itens = Tokeniza("ola mundo.");
  EXPECT_EQ(AtribuiPadroes(itens, true), (Linhas{"555|", "555|ola", "555|mundo", "555|.", "555|"}))
      << "no rules: 555 for all";

  Carrega("|XX = ?31\n");
  EXPECT_EQ(AtribuiPadroes(itens, true), (Linhas{"555|", "531|ola", "131|mundo", "555|.", "555|"}));
  EXPECT_EQ(AtribuiPadroes(itens, false),
            (Linhas{"555|", "555|ola", "555|mundo", "555|.", "555|"}));

  // First rule in file order wins; previous and next codes are looked at.
  Carrega("XX|XX|.. = 741\n|XX|.. = 999\n--|| = 123\nXX = 555\n");
  EXPECT_EQ(AtribuiPadroes(itens, true), (Linhas{"555|", "123|ola", "741|mundo", "555|.", "555|"}));
  EXPECT_EQ(AtribuiPadroes(Tokeniza("mundo."), true),
            (Linhas{"555|", "999|mundo", "555|.", "555|"}));
  EXPECT_EQ(AtribuiPadroes(Tokeniza("casa mundo."), true).at(2), "741|mundo");
  EXPECT_EQ(AtribuiPadroes({"x", "[", ""}, true), (Linhas{"555|", "555|", "555|"}))
      << "items too short to hold a code are handled";
}

TEST(GeraPhoTest, PrimeiroFonemaTonicaEFinal) {
  Carrega("", TodosOsDifones());
  EXPECT_EQ(GeraPho({";555|a", "a", ""}, 1.0, 1.0), (Linhas{";a", "a 100 50 230", ""}));
  // casa: start on the first phoneme, peak at 80 % of the stressed one, end on the last.
  EXPECT_EQ(GeraPho({";375|casa", "k", ">a", "z", "a", ""}, 1.0, 1.0),
            (Linhas{";casa", "k 80 50 195", "a 145 80 253", "z 130", "a 145 50 230", ""}));
  // The stressed phoneme last: no end point.
  EXPECT_EQ(GeraPho({";375|ba", "b", ">a", ""}, 1.0, 1.0),
            (Linhas{";ba", "b 100 50 195", "a 145 80 253", ""}));
  // "¨" returns to the normal scale; the empty line resets it for the next word.
  EXPECT_EQ(GeraPho({";555|ab", ">a",
                     "\xa8"
                     "b",
                     "a", "", ";555|b", "b", ""},
                    1.0, 1.0),
            (Linhas{";ab", "a 145 80 230", "b 100", "a 100 50 230", "", ";b", "b 100 50 230", ""}));
  EXPECT_EQ(GeraPho({";555|ab",
                     ">\xa8"
                     "a",
                     "b", ""},
                    1.0, 1.0),
            (Linhas{";ab", "a 145 80 230", "b 145 50 230", ""}));
}

TEST(GeraPhoTest, PalavrasLongas) {
  Carrega("", TodosOsDifones());
  // 11 letters: 90 % before the stressed phoneme, 145 % after it.
  EXPECT_EQ(GeraPho({";505|abababababa", "a", "b", ">a", "b", ""}, 1.0, 1.0),
            (Linhas{";abababababa", "a 90 50 230", "b 90", "a 145", "b 145 50 230", ""}));
  // 14 letters: 80 %. 8 letters: no shortening (the length counts one more).
  EXPECT_EQ(GeraPho({";555|ababababababab", "b", ">a", ""}, 1.0, 1.0).at(1), "b 80 50 230");
  EXPECT_EQ(GeraPho({";555|abababab", "b", ">a", ""}, 1.0, 1.0).at(1), "b 100 50 230");
}

TEST(GeraPhoTest, PausasEFatores) {
  Carrega("", TodosOsDifones());
  EXPECT_EQ(GeraPho({";555|,", "_,"}, 1.0, 1.0), (Linhas{";,", "_ 300 50 230"}));
  EXPECT_EQ(GeraPho({";005|", "__", ""}, 1.0, 1.0), (Linhas{";", "_ 200", ""}));
  EXPECT_EQ(GeraPho({"_", "_ 40", "_ x", "_?"}, 1.0, 1.0),
            (Linhas{"_ 100 50 230", "_ 40", "_ 100", "_ 100"}));
  EXPECT_EQ(GeraPho({";995|ka", "k", ">a", ""}, 1.5, 2.0),
            (Linhas{";ka", "k 160 50 448", "a 290 80 448", ""}));
  EXPECT_EQ(GeraPho({";555|ka", "k", ""}, 0.0, -1.0), (Linhas{";ka", "k 0", ""}));
  EXPECT_EQ(GeraPho({";555|ka", "k"}, 1e300, 1e300).at(1), "k 10000000000 50 10000000000");
}

// Milliseconds of each phoneme line (comments and empty lines left out).
std::vector<int> Duracoes(const Linhas& linhas) {
  std::vector<int> d;
  for (const std::string& l : linhas) {
    if (l.empty() || l[0] == ';') continue;
    d.push_back(std::stoi(l.substr(l.find(' ') + 1)));
  }
  return d;
}

// Fast speech: below the normal factor 0.8 vowels follow the factor, consonants shrink
// less, and a pause keeps at least 30 % of its normal length.
TEST(GeraPhoTest, FalaRapidaPoupaConsoantesEPausas) {
  Carrega("", TodosOsDifones());
  const Linhas frase = {";555|ka", "k", ">a", "", ";555|,", "_,", ""};
  const std::vector<int> normal = Duracoes(GeraPho(frase, 1.0, 0.8));
  ASSERT_EQ(normal, (std::vector<int>{64, 116, 240}));  // uniform at the normal factor
  EXPECT_EQ(Duracoes(GeraPho(frase, 1.0, 1.2)), (std::vector<int>{96, 174, 360}));  // slow
  for (const double fator : {0.6, 0.4, 0.2, 0.1}) {
    const std::vector<int> rapida = Duracoes(GeraPho(frase, 1.0, fator));
    const double k = rapida[0] / 64.0, a = rapida[1] / 116.0;
    EXPECT_NEAR(a, fator / 0.8, 0.02) << fator;
    EXPECT_GT(k, a * 1.1) << fator << ": the consonant is spared";
    EXPECT_LT(k, 1.0) << fator;
    EXPECT_GE(rapida[2], 72) << fator << ": the comma's pause does not vanish";
    EXPECT_LT(rapida[2], 240) << fator;
  }
}

TEST(GeraPhoTest, ReparoDeDifones) {
  Carrega();  // empty diphone list
  EXPECT_EQ(GeraPho({";555|ab", "a", "b", ""}, 1.0, 1.0),
            (Linhas{";ab", "_ 50", "a 100 50 230", "_ 50", "b 100", ""}));
  Carrega("", "r2 _\na y\n_ r2\n_ a\n");
  EXPECT_EQ(GeraPho({"r2", "k", "", "a", "b"}, 1.0, 1.0),
            (Linhas{"r2 100 50 230", "_ 50", "k 80", "", "_ 50", "a 100", "y 50", "b 100"}))
      << "after r2 a silence, else the glide when the voice has it, else a silence";
  Carrega("", "_ a\n");
  EXPECT_EQ(GeraPho({"a", ">", "a", ""}, 1.0, 1.0),
            (Linhas{"a 100 50 230", "_ 50", "a 145 80 230", ""}))
      << "a line of marks alone names no phoneme; the next one takes the peak";
  Carrega("", "_ i\ni x\ni s2\nx i\ns2 t\nt i\ni _\n");
  EXPECT_EQ(GeraPho({"i", "x", ">t", "i", ""}, 1.0, 1.0),
            (Linhas{"i 100 50 230", "s2 60", "t 145 80 230", "i 145 50 230", ""}))
      << "an x the voice cannot join to t is said as s2, with its duration";
  EXPECT_EQ(GeraPho({"i", "x", "i", ""}, 1.0, 1.0).at(1), "x 120") << "x before a vowel stays";
}

TEST(GeraPhoTest, EntradasEstranhas) {
  Carrega("", TodosOsDifones());
  EXPECT_TRUE(GeraPho({}, 1.0, 1.0).empty());
  EXPECT_GE(GeraPho({";", ";12|", ";abc|", ">", "\xa8", "", ""}, 1.0, 1.0).size(), 5u);
  EXPECT_EQ(GeraPho({";x!!|w", "a", ""}, 1.0, 1.0).at(1), "a 100")
      << "pattern characters that are not digits give no pitch point";
}

}  // namespace
}  // namespace mg
