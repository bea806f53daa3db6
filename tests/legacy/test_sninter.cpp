// Legacy letter-to-sound translation: normalisation, word cutting, stress, spelling,
// rule matching with every context symbol, against small rule files.
#include <gtest/gtest.h>

#include <string>

#include "arquivo_temp.h"
#include "legacy/sninter.h"

namespace mg {
namespace {

using namespace std::string_literals;

class Tradutor : public ::testing::Test {
 protected:
  void Regras(const std::string& texto) {
    ASSERT_TRUE(CarregaRegras(pasta_.Escreve("regras.rgr", texto)));
  }
  void Excecoes(const std::string& texto) {
    ASSERT_TRUE(CarregaExcecoes(pasta_.Escreve("portug.exc", texto)));
  }
  void SetUp() override {
    Regras("");
    Excecoes("");
  }
  void TearDown() override { LiberaRegras(); }

  std::string Marca(std::string palavra) {
    int vogais = 0;
    for (char c : palavra) vogais += std::string("aeiou").find(c) != std::string::npos;
    MarcaTonica(palavra, vogais, false);
    return palavra;
  }

  teste::PastaTemp pasta_;
};

TEST_F(Tradutor, Normalisation) {
  EXPECT_EQ(NormalizaTexto("\xc7"
                           "a\xe7"
                           "a"),
            "ssassa");                            // Ç and ç
  EXPECT_EQ(NormalizaTexto("\x80\x87"), "ssss");  // DOS code page
  EXPECT_EQ(NormalizaTexto("m\xe3"
                           "e caf\xe9 p\xf4r \xfc"),
            "ma~e cafe' po^r u");
  EXPECT_EQ(NormalizaTexto("\xc1\xc0\xc2\xc4\xd6\xd1"), "a'a`a^a~o`nh");
  EXPECT_EQ(NormalizaTexto("\xd8\xd7\xf7\xbb\xab"), "0xx\xba\xaa");
  EXPECT_EQ(NormalizaTexto("\t\xff\xdf"), " \0  \0  \0 "s);  // no mapping
  EXPECT_EQ(NormalizaTexto("\x7f~"), "\x7f~");
  // w and y beside a letter are vowels; alone they stay.
  EXPECT_EQ(NormalizaTexto("Wagner show w Y yy"), "uagner shou w Y ii");
  EXPECT_EQ(NormalizaTexto("d'agua D'Ouro l'a"), "dagua DOuro l'a");
}

TEST_F(Tradutor, EmptyBlankAndSpelledText) {
  EXPECT_EQ(TraduzTexto(""), "");
  EXPECT_EQ(TraduzTexto("     "), "");
  EXPECT_EQ(TraduzTexto("BRR"), "[ /_b][ /_r][ /_r]");
  EXPECT_EQ(TraduzTexto(","), "[ /_,]");
  EXPECT_EQ(TraduzTexto("\t"), "[ /_\0]"s);
  EXPECT_EQ(TraduzTexto("ok, "), "[ /_O/ /_K][ /_,]");
  // Not letters, not punctuation: one-character words through the rules.
  EXPECT_EQ(TraduzTexto("7-"), "[ /_7][ /_-]");
  EXPECT_EQ(TraduzTexto("\xe0"), "[ /_A/ /_`]");  // à: a and its mark
}

TEST_F(Tradutor, StressExamples) {
  EXPECT_EQ(Marca("casa"), "cAsa");
  EXPECT_EQ(Marca("papel"), "papEl");
  EXPECT_EQ(Marca("aqui"), "aquI");
  EXPECT_EQ(Marca("papai"), "papAi");
  EXPECT_EQ(Marca("cadeira"), "cadEira");
  EXPECT_EQ(Marca("saindo"), "saIndo");
  EXPECT_EQ(Marca("rainha"), "raInha");
  EXPECT_EQ(Marca("sal"), "sAl");
  EXPECT_EQ(Marca("mar"), "mar");
  EXPECT_EQ(Marca("falam"), "fAlam");
  EXPECT_EQ(Marca("homem"), "hOmem");
  EXPECT_EQ(Marca("bombom"), "bombOm");
  EXPECT_EQ(Marca("casas"), "cAsas");
  EXPECT_EQ(Marca("guarda"), "guArda");
  EXPECT_EQ(Marca("ainda"), "aInda");
  EXPECT_EQ(Marca("carro"), "cArro");
  EXPECT_EQ(Marca("tatu"), "tatU");
  EXPECT_EQ(Marca("feliz"), "felIz");
  // A mark due on the first letter is made.
  EXPECT_EQ(Marca("ela"), "Ela");
  EXPECT_EQ(Marca("ontem"), "Ontem");
  EXPECT_EQ(Marca("uva"), "Uva");
  EXPECT_EQ(Marca("ia"), "Ia");
}

TEST_F(Tradutor, StressReachesTheUnits) {
  Regras("(A)=a\n(E)=e\n(I)=i\n(O)=o\n(U)=u\n(C)=k\n(S)=z\n(L)=w\n(R)=rr\n(QU)=k\n");
  EXPECT_EQ(TraduzTexto("casa"), "[k/A/z/a]");
  EXPECT_EQ(TraduzTexto("CASA"), "[k/A/z/a]");
  EXPECT_EQ(TraduzTexto("sal"), "[z/A/w]");
  EXPECT_EQ(TraduzTexto("mar"), "[ /_M/a/rr]");
  EXPECT_EQ(TraduzTexto("aqui"), "[a/k/I]");
  // A written acute, grave, circumflex or tilde: no mark from the stress step.
  EXPECT_EQ(TraduzTexto("caf\xe9"), "[k/a/ /_F/e/ /_']");
  EXPECT_EQ(TraduzTexto("sof\xe1s"), "[z/o/ /_F/a/ /_'/z]");
  EXPECT_EQ(TraduzTexto("l\xe3"
                        "s"),
            "[w/a/ /_~/z]");
  // A diaeresis is not an accent: agu"entar is still marked (the cp1252 letter
  // u-diaeresis is a plain u).
  EXPECT_EQ(TraduzTexto("agu\"entar"), "[a/ /_G/u/ /_\"/e/ /_N/ /_T/A/rr]");
}

TEST_F(Tradutor, ExceptionsReplaceWords) {
  Regras("(A)=a\n(E)=e\n(I)=i\n(O)=o\n(U)=u\n(C)=k\n(S)=z\n");
  Excecoes("cd=ce^de^\ncasa=cosa\nxiz=\n");
  // The alias is translated by rules; stress still follows the word as cut: "cd" had
  // no vowel, so nothing is marked.
  EXPECT_EQ(TraduzTexto("CD"), "[k/e/ /_^/ /_D/e/ /_^]");
  EXPECT_EQ(TraduzTexto("casas"), "[k/O/z/a/z]");
  EXPECT_EQ(TraduzTexto("xyz casa"),
            "[k/O/z/a]");  // y between letters is i; an empty alias says nothing
}

TEST_F(Tradutor, LongWordsAreCut) {
  const std::string longa(300, 'b');
  const std::string r = TraduzTexto(longa + "a");
  // 255 letters spelled, then the remaining 45 b's and the a go to the rules.
  EXPECT_EQ(r.substr(0, 6), "[ /_b]");
  size_t grupos = 0;
  for (char c : r) grupos += c == '[';
  EXPECT_EQ(grupos, 256u);
}

TEST_F(Tradutor, ContextSymbols) {
  Regras(
      "%(S)=1\n(S)%=2\n(S)=s\n"
      "(R)#T=4\n(R)#=3\n(R)=r\n"
      "(L)&=5\n(L)=l\n"
      "(M)*=6\n(M)=m\n"
      "(G)+A=7\n(G)=g\n"
      "(N)[=8\n(N)=n\n"
      "(B)\\%=9\n(B)=b\n"
      "#T(D)=d1\n#(D)=d2\n(D)=d\n"
      "](Z)=z1\n(Z)=z\n"
      "_(X)=x1\n(X)=x\n"
      "|(T)=t1\n(T)=t\n"
      "(CH)=x\n(C)=k\n"
      "(A)=a\n(E)=e\n(I)=i\n(O)=o\n(U)=u\n");
  auto R = [](const char* w) { return TraduzTexto(w); };
  // % at the start and at the end of a word.
  EXPECT_EQ(R("sasas"), "[1/A/s/a/2]");
  // # skips a whole run of vowels and accent marks.
  EXPECT_EQ(R("raeta"), "[4/a/E/t/a]");
  EXPECT_EQ(R("ra'e"), "[3/a/ /_'/e]");
  EXPECT_EQ(R("rtr"), "[ /_r][ /_t][ /_r]");  // consonants only: spelled
                                              // & l m n r z; * a consonant other than r, l.
  EXPECT_EQ(R("alra"), "[A/5/3/a]");
  EXPECT_EQ(R("ala"), "[A/l/a]");
  EXPECT_EQ(R("amta amra amla"), "[A/6/t/a][A/m/3/a][A/m/l/a]");
  // + e or i, stepping over an accent mark.
  EXPECT_EQ(R("agia"), "[a/7/I/a]");
  EXPECT_EQ(R("agi'a"), "[a/7/i/ /_'/a]");
  EXPECT_EQ(R("agio"), "[a/g/I/o]");
  // [ end of word or a consonant other than h.
  EXPECT_EQ(R("an ant anh ana"), "[a/8][a/8/t1][a/n/ /_H][A/n/a]");
  // \ an optional s.
  EXPECT_EQ(R("ab abs abx"), "[a/9][a/9/2][a/b/x]");
  // Left "#T": a T right before, a vowel run before that; ] a or o (also before an accent mark).
  EXPECT_EQ(R("atd aod od"), "[a/t/d1][A/o/d2][o/d2]");
  EXPECT_EQ(R("az iz a'z"), "[a/z1][i/z][a/ /_'/z1]");
  // _ a vowel, a vowel before an accent mark, or the start of the word.
  EXPECT_EQ(R("xa ax a'x bxa"), "[x1/a][a/x1][a/ /_'/x1][b/x/a]");
  // | n, r or s.
  EXPECT_EQ(R("anta arta asta ata"), "[A/8/t1/a][A/r/t1/a][A/s/t1/a][A/t/a]");
  // A rule of two letters advances by two.
  EXPECT_EQ(R("chachi"), "[x/a/x/I]");
}

TEST_F(Tradutor, RuleOutputsTakeTheStressMark) {
  Regras("(CA)=ka\n(A)=ka\n(O)=/oo\n(E)=\n");
  EXPECT_EQ(TraduzTexto("asa"), "[kA/ /_S/ka]");
  EXPECT_EQ(TraduzTexto("oca"), "[/Oo/ka]");  // the first vowel only
  EXPECT_EQ(TraduzTexto("ele"), "[/ /_L/]");  // an empty output has no vowel
}

}  // namespace
}  // namespace mg
