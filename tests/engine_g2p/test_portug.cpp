#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/uttsPortug.h"
#include "legacy/dicionario.h"

namespace mg {
namespace {

using Linhas = std::vector<std::string>;

std::string Escreve(const std::string& nome, const std::string& texto) {
  const auto dir = std::filesystem::path(MG_BINARY_DIR) / "tests" / "engine_g2p" / "tmp";
  std::filesystem::create_directories(dir);
  const auto path = dir / nome;
  std::ofstream(path, std::ios::binary) << texto;
  return path.string();
}

// A rule table loaded from the given lines (cp1252).
class Regras {
 public:
  explicit Regras(const std::string& texto) : tabela_(TipoTabela::Motor) {
    EXPECT_TRUE(tabela_.CarregaRegras(Escreve("regras.nrl", texto)));
  }
  // The phoneme lines of one word without the empty line that ends it.
  Linhas Palavra(std::string_view w, int tonica = 0) const {
    Linhas l;
    AplicaRegras(w, tonica, l, tabela_);
    EXPECT_FALSE(l.empty());
    if (!l.empty()) {
      EXPECT_EQ(l.back(), "");
      l.pop_back();
    }
    return l;
  }
  const TabelaRegras& Tabela() const { return tabela_; }

 private:
  TabelaRegras tabela_;
};

TabelaExcecoes Excecoes(const std::string& texto) {
  TabelaExcecoes t(TipoTabela::Motor);
  EXPECT_TRUE(t.CarregaExcecoes(Escreve("excecoes.exc", texto)));
  return t;
}

const char* kSimples =
    "(C)=k\n(A)S=\n(A)=a\n(S)%=s2\n(S)=z\n(R)%=r2\n(R)=r\n(M)=m\n(U)=u\n(L)=l\n(Z)=z\n"
    "(N)=n\n(\xc3O)=@&w\n(E)=E\n(O)=\xa8o\n(K)=k&s\n(X)=&a\n(P)=p\n(I)=i\n";

TEST(Fonemiza, BoundaryAndPunctuationItems) {
  const Regras r(kSimples);
  const TabelaExcecoes e = Excecoes("");
  EXPECT_EQ(Fonemiza({"555|"}, r.Tabela(), e), (Linhas{";555|", "__", "", "__"}));
  EXPECT_EQ(Fonemiza({"555|,"}, r.Tabela(), e), (Linhas{";555|,", "_,", "__"}));
  EXPECT_EQ(Fonemiza({"555|?"}, r.Tabela(), e), (Linhas{";555|?", "_?", "__"}));
  EXPECT_EQ(Fonemiza({"555| "}, r.Tabela(), e), (Linhas{";555| ", "__"}));
  // A malformed item without text reads as a boundary, not past its end.
  EXPECT_EQ(Fonemiza({"55"}, r.Tabela(), e), (Linhas{";55", "__", "", "__"}));
  EXPECT_EQ(Fonemiza({}, r.Tabela(), e), (Linhas{"__"}));
}

TEST(Fonemiza, StressMarkAndFunctionWords) {
  const Regras r(kSimples);
  const TabelaExcecoes e = Excecoes("");
  // casa: stressed at 2; the A before S writes nothing, so the mark goes to the S.
  EXPECT_EQ(Fonemiza({"555|casa"}, r.Tabela(), e), (Linhas{";555|casa", "k", ">z", "a", "", "__"}));
  EXPECT_EQ(Fonemiza({"555|mar"}, r.Tabela(), e), (Linhas{";555|mar", "m", ">a", "r2", "", "__"}));
  // In a phrase, two letters and the listed function words carry no mark.
  for (const char* w : {"um", "por", "n\xe3o", "N\xc3O", "com", "sim", "das", "dos"}) {
    const Linhas l = Fonemiza({std::string("555|") + w, "555|,", "555|mar"}, r.Tabela(), e);
    int marcas = 0;
    for (const auto& x : l) marcas += x.find('>') != std::string::npos;
    EXPECT_EQ(marcas, 1) << w << ": only mar is stressed";
  }
  EXPECT_EQ(Fonemiza({"555|n\xe3o", "555|mar"}, r.Tabela(), e),
            (Linhas{";555|n\xe3o", "n", "@", "w", "", ";555|mar", "m", ">a", "r2", "", "__"}));
  // Said alone (an answer), such a word is stressed; so is a short word with an accent.
  EXPECT_EQ(Fonemiza({"555|n\xe3o"}, r.Tabela(), e),
            (Linhas{";555|n\xe3o", "n", ">@", "w", "", "__"}));
  const Regras pa("(P)=p\n(\xc1)=a\n(M)=m\n(A)=a\n(R)=r2\n");
  EXPECT_EQ(Fonemiza({"555|p\xe1", "555|mar"}, pa.Tabela(), e)[2], ">a");
}

TEST(Fonemiza, ExceptionsReplaceTheWordAndItsStress) {
  const Regras r("(\xc9)=ee\n(E)=e\n(L)=l\n(A)=a\n(S)=s2\n");
  const TabelaExcecoes e = Excecoes("ela=\xe9la\n");
  EXPECT_EQ(Fonemiza({"555|ela"}, r.Tabela(), e), (Linhas{";555|ela", ">ee", "l", "a", "", "__"}));
  // Found through the entry without the final S.
  EXPECT_EQ(Fonemiza({"555|ELAS"}, r.Tabela(), e),
            (Linhas{";555|ELAS", ">ee", "l", "a", "s2", "", "__"}));
}

TEST(AplicaRegras, OutputsAndMarks) {
  const Regras r(kSimples);
  EXPECT_EQ(r.Palavra("KA"), (Linhas{"k", "s", "a"}));  // k&s: two lines
  EXPECT_EQ(r.Palavra("XA"), (Linhas{"", "a", "a"}));   // &a: an empty line first
  EXPECT_EQ(r.Palavra("ABA"), (Linhas{"a", "a"}));      // no rule for B: nothing
  EXPECT_EQ(r.Palavra("A\x01"
                      "A"),
            (Linhas{"a", "a"}));  // control codes have no chain
  EXPECT_EQ(r.Palavra("MAR", 2), (Linhas{"m", ">a", "r2"}));
  EXPECT_EQ(r.Palavra("MAR", 0), (Linhas{"m", "a", "r2"}));
  EXPECT_EQ(r.Palavra("MAR", 1), (Linhas{">m", "a", "r2"}));
  // The mark lands on the first output of a rule starting at or after the position.
  EXPECT_EQ(r.Palavra("CASA", 2), (Linhas{"k", ">z", "a"}));
  EXPECT_EQ(r.Palavra("XA", 1), (Linhas{">", "a", "a"}));    // written before the "&"
  EXPECT_EQ(r.Palavra("MAR", 9), (Linhas{"m", "a", "r2"}));  // beyond the word: none
  EXPECT_EQ(r.Palavra(""), Linhas{});
}

TEST(AplicaRegras, OnlyElevenOutputCharactersAreUsed) {
  const Regras r("(Q)=abcdefghijklmnopqrs\n");
  EXPECT_EQ(r.Palavra("Q"), (Linhas{"abcdefghijk"}));
}

TEST(AplicaRegras, TrechoComparesAsciiUpperCaseAndStaysInTheWord) {
  const Regras r("(QU)=k\n(Q)=q\n(\xc7)=s\n(\xe7)=minusculo\n");
  EXPECT_EQ(r.Palavra("QU"), (Linhas{"k"}));
  EXPECT_EQ(r.Palavra("qu"), Linhas{});  // lower-case q has no chain of its own
  EXPECT_EQ(r.Palavra("Qu"), (Linhas{"k"}));
  EXPECT_EQ(r.Palavra("Q"), (Linhas{"q"}));  // QU cannot run past the end
  EXPECT_EQ(r.Palavra("\xc7"), (Linhas{"s"}));
  EXPECT_EQ(r.Palavra("\xe7"), (Linhas{"minusculo"}));
}

TEST(AplicaRegras, LeftContextSymbols) {
  const Regras vogal("#(X)=v\n(X)=x\n");
  EXPECT_EQ(vogal.Palavra("AX"), (Linhas{"v"}));
  EXPECT_EQ(vogal.Palavra("\xc3X"), (Linhas{"v"}));  // ÃX
  EXPECT_EQ(vogal.Palavra("BX"), (Linhas{"x"}));
  EXPECT_EQ(vogal.Palavra("X"), (Linhas{"x"}));

  const Regras inicio("%(X)=i\n(X)=x\n");
  EXPECT_EQ(inicio.Palavra("X"), (Linhas{"i"}));
  EXPECT_EQ(inicio.Palavra("AX"), (Linhas{"x"}));

  const Regras ao("](X)=o\n(X)=x\n");
  EXPECT_EQ(ao.Palavra("OX"), (Linhas{"o"}));
  EXPECT_EQ(ao.Palavra("\xd3X"), (Linhas{"o"}));  // ÓX
  EXPECT_EQ(ao.Palavra("EX"), (Linhas{"x"}));
  EXPECT_EQ(ao.Palavra("X"), (Linhas{"x"}));

  const Regras sub("_(X)=u\n(X)=x\n");
  EXPECT_EQ(sub.Palavra("X"), (Linhas{"u"}));
  EXPECT_EQ(sub.Palavra("AX"), (Linhas{"u"}));
  EXPECT_EQ(sub.Palavra("BX"), (Linhas{"x"}));
  // At the start "_" does not move, so a "%" before it still holds.
  const Regras sub2("%_(X)=u\nA_(X)=a\n(X)=x\n");
  EXPECT_EQ(sub2.Palavra("X"), (Linhas{"u"}));
  EXPECT_EQ(sub2.Palavra("AAX"), (Linhas{"a"}));
  EXPECT_EQ(sub2.Palavra("BAX"), (Linhas{"x"}));

  const Regras nrs("|(X)=n\n(X)=x\n");
  for (const char* w : {"NX", "RX", "SX", "sX"}) EXPECT_EQ(nrs.Palavra(w), (Linhas{"n"})) << w;
  EXPECT_EQ(nrs.Palavra("LX"), (Linhas{"x"}));

  const Regras lit("#B(X)=l\n(X)=x\n");
  EXPECT_EQ(lit.Palavra("ABX"), (Linhas{"l"}));
  EXPECT_EQ(lit.Palavra("AbX"), (Linhas{"l"}));  // ASCII upper-cased before comparing
  EXPECT_EQ(lit.Palavra("BBX"), (Linhas{"x"}));
  EXPECT_EQ(lit.Palavra("BX"), (Linhas{"x"}));  // "#" before the word fails
}

TEST(AplicaRegras, RightContextSymbols) {
  const Regras vogal("(X)#=v\n(X)=x\n");
  EXPECT_EQ(vogal.Palavra("XA"), (Linhas{"v"}));
  EXPECT_EQ(vogal.Palavra("XB"), (Linhas{"x"}));
  EXPECT_EQ(vogal.Palavra("X"), (Linhas{"x"}));

  const Regras fim("(X)%=f\n(X)=x\n");
  EXPECT_EQ(fim.Palavra("X"), (Linhas{"f"}));
  EXPECT_EQ(fim.Palavra("XA"), (Linhas{"x"}));

  const Regras liq("(X)&=l\n(X)=x\n");
  for (const char* w : {"XL", "XM", "XN", "XR", "XZ", "Xz"}) {
    EXPECT_EQ(liq.Palavra(w), (Linhas{"l"})) << w;
  }
  EXPECT_EQ(liq.Palavra("XS"), (Linhas{"x"}));
  EXPECT_EQ(liq.Palavra("X"), (Linhas{"x"}));

  // "*" holds on a consonant other than L/R and does not consume it.
  const Regras cons("(X)*B=b\n(X)*=c\n(X)=x\n");
  EXPECT_EQ(cons.Palavra("XB"), (Linhas{"b"}));
  EXPECT_EQ(cons.Palavra("XT"), (Linhas{"c"}));
  EXPECT_EQ(cons.Palavra("X\xc7"), (Linhas{"c"}));  // XÇ
  EXPECT_EQ(cons.Palavra("XL"), (Linhas{"x"}));
  EXPECT_EQ(cons.Palavra("XR"), (Linhas{"x"}));
  EXPECT_EQ(cons.Palavra("XA"), (Linhas{"x"}));
  EXPECT_EQ(cons.Palavra("X"), (Linhas{"x"}));

  const Regras ei("(X)+=e\n(X)=x\n");
  EXPECT_EQ(ei.Palavra("XE"), (Linhas{"e"}));
  EXPECT_EQ(ei.Palavra("XI"), (Linhas{"e"}));
  EXPECT_EQ(ei.Palavra("X\xc9"), (Linhas{"e"}));  // XÉ
  EXPECT_EQ(ei.Palavra("X\xca"), (Linhas{"x"}));  // XÊ is not in the set
  EXPECT_EQ(ei.Palavra("XA"), (Linhas{"x"}));

  // "[" holds at the end or before a consonant other than H, without consuming.
  const Regras fc("(X)[B=b\n(X)[=c\n(X)=x\n");
  EXPECT_EQ(fc.Palavra("X"), (Linhas{"c"}));
  EXPECT_EQ(fc.Palavra("XB"), (Linhas{"b"}));
  EXPECT_EQ(fc.Palavra("XT"), (Linhas{"c"}));
  EXPECT_EQ(fc.Palavra("XH"), (Linhas{"x"}));
  EXPECT_EQ(fc.Palavra("XA"), (Linhas{"x"}));

  // "\" is an optional S.
  const Regras s("(X)\\A=a\n(X)\\%=f\n(X)=x\n");
  EXPECT_EQ(s.Palavra("XA"), (Linhas{"a"}));
  EXPECT_EQ(s.Palavra("XSA"), (Linhas{"a"}));
  EXPECT_EQ(s.Palavra("X"), (Linhas{"f"}));
  EXPECT_EQ(s.Palavra("XS"), (Linhas{"f"}));
  EXPECT_EQ(s.Palavra("XBA"), (Linhas{"x"}));

  const Regras lit("(X)B=b\n(X)=x\n");
  EXPECT_EQ(lit.Palavra("XB"), (Linhas{"b"}));
  EXPECT_EQ(lit.Palavra("Xb"), (Linhas{"b"}));
  EXPECT_EQ(lit.Palavra("X"), (Linhas{"x"}));
}

TEST(AplicaRegras, FirstMatchingRuleOfTheChainWins) {
  const Regras r("(X)=primeira\n(A)=a\n(X)=segunda\n(XA)%=dupla\n");
  EXPECT_EQ(r.Palavra("XA"), (Linhas{"primeira", "a"}));
  const Regras r2("(XA)%=dupla\n(X)=x\n(A)=a\n");
  EXPECT_EQ(r2.Palavra("XA"), (Linhas{"dupla"}));
  EXPECT_EQ(r2.Palavra("XAA"), (Linhas{"x", "a", "a"}));
}

TEST(LigaPalavras, FinalRAndSBeforeAVowel) {
  const Regras r(kSimples);
  const TabelaExcecoes e = Excecoes("");
  // mar azul: the r2 becomes the tap r before the next word's vowel.
  const Linhas l = Fonemiza({"555|mar", "555|azul"}, r.Tabela(), e);
  EXPECT_EQ(l,
            (Linhas{";555|mar", "m", ">a", "r", "", ";555|azul", "a", "z", ">u", "l", "", "__"}));
  // s2 before ">a" becomes z; before "E" (not a lower-case vowel) it stays.
  Linhas v{";h", "__", "", ";555|as", "a", "s2", "", ";555|aves", ">a", "v", ""};
  LigaPalavras(v);
  EXPECT_EQ(v[5], "z");
  Linhas w{";h", "__", "", ";555|as", "a", "s2", "", ";555|Eles", "E", "l", ""};
  LigaPalavras(w);
  EXPECT_EQ(w[5], "s2");
  // "¨" before the vowel is passed over; a pause between the words blocks the link.
  const Linhas o = Fonemiza({"555|mar", "555|o"}, r.Tabela(), e);
  EXPECT_EQ(o[3], "r");
  const Linhas c = Fonemiza({"555|mar", "555|,", "555|azul"}, r.Tabela(), e);
  EXPECT_EQ(c[3], "r2");
}

TEST(LigaPalavras, ShortAndOddLists) {
  Linhas vazia;
  LigaPalavras(vazia);
  EXPECT_TRUE(vazia.empty());
  Linhas curta{";a", "r2", "", ";b"};
  LigaPalavras(curta);  // the header is the last line: nothing after it
  EXPECT_EQ(curta[1], "r2");
  // A header right at the start (before index 3) is not linked.
  Linhas inicio{"r2", "", ";555|a", "a", ""};
  LigaPalavras(inicio);
  EXPECT_EQ(inicio[0], "r2");
  // Only the exact lines r2 and s2 change.
  Linhas outra{";h", "x", "r2a", "", ";555|a", "a", ""};
  LigaPalavras(outra);
  EXPECT_EQ(outra[2], "r2a");
}

TEST(Fonemiza, AnyBytesGiveAWellFormedList) {
  const Regras r(kSimples);
  const TabelaExcecoes e = Excecoes("");
  std::mt19937 rng(7);
  for (int k = 0; k < 300; ++k) {
    std::string item = "555|";
    const int n = static_cast<int>(rng() % 40);
    for (int i = 0; i < n; ++i) item += static_cast<char>(rng() % 256);
    const Linhas l = Fonemiza({item}, r.Tabela(), e);
    ASSERT_GE(l.size(), 2u);
    EXPECT_EQ(l.front(), ";" + item);
    EXPECT_EQ(l.back(), "__");
  }
  const std::string longa = "555|" + std::string(100000, 'a');
  const Linhas l = Fonemiza({longa}, r.Tabela(), e);
  EXPECT_EQ(l.size(), 100000u + 3u);  // header, one "a" per letter, end of word, "__"
}

// A few readings of the shipped rules and exceptions.
class Dados : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string dir = std::string(MG_SOURCE_DIR) + "/data/ondal/";
    ASSERT_TRUE(regras_.CarregaRegras(dir + "portug.nrl"));
    ASSERT_TRUE(excecoes_.CarregaExcecoes(dir + "portug.exc"));
    EXPECT_EQ(regras_.Estatistica().invalidas, 0);
    EXPECT_EQ(excecoes_.Estatistica().invalidas, 0);
  }
  static std::string Le(const std::string& w) {
    std::string out;
    for (const auto& l : Fonemiza({"555|" + w}, regras_, excecoes_)) {
      if (l.empty() || l[0] == ';' || l == "__") continue;
      if (!out.empty()) out += ' ';
      out += l;
    }
    return out;
  }
  static TabelaRegras regras_;
  static TabelaExcecoes excecoes_;
};
TabelaRegras Dados::regras_(TipoTabela::Motor);
TabelaExcecoes Dados::excecoes_(TipoTabela::Motor);

TEST_F(Dados, OrdinaryWords) {
  EXPECT_EQ(Le("casa"), "k >a z a");
  EXPECT_EQ(Le("chave"), "x >a v y");
  EXPECT_EQ(Le("filho"), "f >i lh w");
  EXPECT_EQ(Le("quilo"), "k >i l w");
  EXPECT_EQ(Le("jardim"), "j a r2 d >in");
  EXPECT_EQ(Le("carro"), "k >a rr w");
  EXPECT_EQ(Le("rato"), "rr >a t w");
  EXPECT_EQ(Le("sol"), "s >oo w");
  EXPECT_EQ(Le("gente"), "j >en t y");
  // an s before an affricate t sounds like ch; before any other t it stays s2
  EXPECT_EQ(Le("triste"), "t r >i x t y");
  EXPECT_EQ(Le("resistir"), "rr e z i x t >i r2");
  EXPECT_EQ(Le("resto"), "rr >ee s2 t w");
}

TEST_F(Dados, NasalsAndAccents) {
  EXPECT_EQ(Le("cora\xe7\xe3o"), "k o r a s >@ w");  // coração
  EXPECT_EQ(Le("m\xe3"
               "e"),
            "m >@ y");  // mãe
  EXPECT_EQ(Le("falam"), "f >a l @ m2");
  EXPECT_EQ(Le("tamb\xe9m"), "t an b >en i");  // também
  EXPECT_EQ(Le("caf\xe9"), "k a f >ee");
  EXPECT_EQ(Le("voc\xea"), "v o s >e");
}

TEST_F(Dados, XAndExceptions) {
  EXPECT_EQ(Le("xarope"), "x a r >oo p y");
  EXPECT_EQ(Le("exame"), "e z >an m y");
  EXPECT_EQ(Le("t\xe1xi"), "t >a k s i");  // táxi
  EXPECT_EQ(Le("peixe"), "p >e i x y");
  EXPECT_EQ(Le("t\xf3rax"), "t >oo r a k s2");  // tórax: a final x is ks
  EXPECT_EQ(Le("lixo"), "l >i x w");            // an exception: x as in chá
  EXPECT_EQ(Le("ela"), ">ee l a");
  EXPECT_EQ(Le("ele"), ">e l y");
}

TEST_F(Dados, LinkingAcrossWords) {
  const Linhas l = Fonemiza({"555|mar", "555|azul", "555|as", "555|aves"}, regras_, excecoes_);
  const Linhas esperado{";555|mar", "m", ">a", "r",       "",  ";555|azul", "a", "z",
                        ">u",       "w", "",   ";555|as", "a", "z",         "",  ";555|aves",
                        ">a",       "v", "y",  "s2",      "",  "__"};
  EXPECT_EQ(l, esperado);
}

}  // namespace
}  // namespace mg

namespace mg {
namespace {

// "!" in the left context holds only where the rule starts at the stressed letter.
TEST(AplicaRegras, ContextoDaSilabaTonica) {
  const Regras r("!(A)M=an\n(A)=a\n(M)=m\n");
  EXPECT_EQ(r.Palavra("AMA", 1), (Linhas{">an", "m", "a"}));
  EXPECT_EQ(r.Palavra("AMA", 3), (Linhas{"a", "m", ">a"}));
  EXPECT_EQ(r.Palavra("AMA", 0), (Linhas{"a", "m", "a"})) << "a word without stress";
  EXPECT_EQ(r.Palavra("!A", 2), (Linhas{">a"})) << "a \"!\" in the word is no letter of a rule";
}

// "<" holds only where the rule starts before the stressed letter, with any letters
// written before it still tested.
TEST(AplicaRegras, ContextoAntesDaTonica) {
  const Regras r("B<(E)=i\n<(E)=ee\n(E)=e\n(B)=b\n");
  EXPECT_EQ(r.Palavra("EBEE", 4), (Linhas{"ee", "b", "i", ">e"}));
  EXPECT_EQ(r.Palavra("EBEE", 1), (Linhas{">e", "b", "e", "e"})) << "after the stress";
  EXPECT_EQ(r.Palavra("EBEE", 0), (Linhas{"e", "b", "e", "e"})) << "a word without stress";
}

}  // namespace
}  // namespace mg
