// Rule and exception tables: line syntax, widths, chains, limits, sort and lookup.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "arquivo_temp.h"
#include "legacy/dicionario.h"

namespace mg {
namespace {

using teste::PastaTemp;

std::vector<const TRegra*> Cadeia(const TabelaRegras& t, char c) {
  std::vector<const TRegra*> v;
  for (const TRegra* r = t.Cadeia(static_cast<unsigned char>(c)); r; r = r->prox) v.push_back(r);
  return v;
}

TEST(Regras, LineSyntaxCommentsAndWidths) {
  PastaTemp d;
  const std::string p = d.Escreve("r.rgr",
                                  "; a comment\n"
                                  "(A)=a|vogal\n"
                                  " ;(B)=b\n"
                                  "#(C)+=s\n"
                                  "(D)=abcdefghijklmno\n"
                                  "LONGOSX(EEEEEEE)DIREITAX=e\n");
  TabelaRegras t(TipoTabela::Legado);
  ASSERT_TRUE(t.CarregaRegras(p));
  ASSERT_EQ(Cadeia(t, 'A').size(), 1u);
  EXPECT_EQ(t.Cadeia('A')->saida, "a");  // text after "|" ignored
  // ";" past the first column is an ordinary character of `esquerda`.
  ASSERT_NE(t.Cadeia('B'), nullptr);
  EXPECT_EQ(t.Cadeia('B')->esquerda, " ;");
  EXPECT_EQ(t.Cadeia('C')->esquerda, "#");
  EXPECT_EQ(t.Cadeia('C')->direita, "+");
  EXPECT_EQ(t.Cadeia('C')->saida, "s");
  EXPECT_EQ(t.Cadeia('D')->saida, "abcdefghijk");  // 15 characters cut to 11
  const TRegra* e = t.Cadeia('E');
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->esquerda, "LONGO");
  EXPECT_EQ(e->trecho, "EEEEE");
  EXPECT_EQ(e->direita, "DIREI");
  EXPECT_EQ(t.Quantidade(), 5u);
  EXPECT_EQ(t.Estatistica().invalidas, 0);
  EXPECT_EQ(t.Estatistica().lidas, 6);

  TabelaRegras m(TipoTabela::Motor);
  ASSERT_TRUE(m.CarregaRegras(d.Escreve("m.nrl",
                                        "(D)=abcdefghijklmno\n"
                                        "(F)=abcdefghijklmnopqrstuvwxyz\n")));
  EXPECT_EQ(m.Cadeia('D')->saida, "abcdefghijklmno");       // all 15 kept
  EXPECT_EQ(m.Cadeia('F')->saida, "abcdefghijklmnopqrst");  // cut to 20
}

TEST(Regras, ChainsKeepFileOrder) {
  PastaTemp d;
  TabelaRegras t(TipoTabela::Legado);
  ASSERT_TRUE(t.CarregaRegras(d.Escreve("r.rgr", "(A)%=1\n(B)=b\n(AS)=2\n(C)=c\n(A)=3\n")));
  const auto a = Cadeia(t, 'A');
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[0]->saida, "1");
  EXPECT_EQ(a[1]->saida, "2");
  EXPECT_EQ(a[2]->saida, "3");
  EXPECT_EQ(Cadeia(t, 'B').size(), 1u);
}

TEST(Regras, MissingDelimitersAndInvalidLines) {
  PastaTemp d;
  const std::string p = d.Escreve("r.rgr",
                                  "\n"
                                  "SEMPARENTESE\n"   // no "(": empty trecho, skipped
                                  "X(A\n"            // no ")": empty direita and saida
                                  "(B)C\n"           // no "=": empty saida
                                  "()=nada\n"        // empty trecho
                                  "(a)=minuscula\n"  // code 97: no legacy chain
                                  "(\xe7)=cedilha\n"
                                  "(^)=circ\n");  // code 94: inside the legacy range
  TabelaRegras t(TipoTabela::Legado);
  ASSERT_TRUE(t.CarregaRegras(p));
  EXPECT_EQ(t.Quantidade(), 3u);
  EXPECT_EQ(t.Estatistica().invalidas, 4);
  const TRegra* a = t.Cadeia('A');
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->esquerda, "X");
  EXPECT_TRUE(a->direita.empty());
  EXPECT_TRUE(a->saida.empty());
  EXPECT_EQ(t.Cadeia('B')->direita, "C");
  EXPECT_TRUE(t.Cadeia('B')->saida.empty());
  EXPECT_NE(t.Cadeia('^'), nullptr);
  EXPECT_EQ(t.Cadeia('a'), nullptr);
  EXPECT_EQ(t.Cadeia(0xE7), nullptr);
  EXPECT_EQ(t.Cadeia(31), nullptr);

  TabelaRegras m(TipoTabela::Motor);
  ASSERT_TRUE(m.CarregaRegras(p));
  EXPECT_EQ(m.Quantidade(), 5u);  // lower case and cp1252 letters have engine chains
  EXPECT_EQ(m.Estatistica().invalidas, 2);
  ASSERT_NE(m.Cadeia(0xE7), nullptr);
  EXPECT_EQ(m.Cadeia(0xE7)->saida, "cedilha");
}

TEST(Regras, LineEndsBinaryBytesAndReload) {
  PastaTemp d;
  std::string bin = "(A)=a\r\n(B)=b\r(C)=c";  // CR LF, lone CR, no final line end
  bin += std::string("(D)=\0\xff", 6) + "\n";
  bin += std::string(100000, 'x') + "(E)=e\n";  // over-long: its "(" is never seen
  TabelaRegras t(TipoTabela::Legado);
  ASSERT_TRUE(t.CarregaRegras(d.Escreve("r.rgr", bin)));
  EXPECT_EQ(t.Cadeia('A')->saida, "a");
  EXPECT_EQ(t.Cadeia('B')->saida, "b");
  // "(C)=c(D)=..." is one line; its output keeps the NUL and 0xFF bytes.
  EXPECT_EQ(t.Cadeia('C')->saida, std::string("c(D)=\0\xff", 7));
  EXPECT_EQ(t.Cadeia('C')->prox, nullptr);
  EXPECT_EQ(t.Cadeia('D'), nullptr);
  EXPECT_EQ(t.Cadeia('E'), nullptr);
  // A second load replaces the first.
  ASSERT_TRUE(t.CarregaRegras(d.Escreve("s.rgr", "(Z)=z\n")));
  EXPECT_EQ(t.Cadeia('A'), nullptr);
  EXPECT_EQ(t.Quantidade(), 1u);
  t.LiberaRegras();
  EXPECT_EQ(t.Cadeia('Z'), nullptr);
  // Files that cannot be read.
  EXPECT_FALSE(t.CarregaRegras(d.Dir() + "/missing.rgr"));
  EXPECT_FALSE(t.CarregaRegras(d.Dir()));
}

TEST(Excecoes, LineSyntaxAndLookup) {
  PastaTemp d;
  const std::string p = d.Escreve("e.exc",
                                  "livro=li'vru\n"
                                  "\n"
                                  "voce^=vo'se^|pronome\n"
                                  "semigual\n"
                                  "=orfao\n"
                                  "ta=TA\n"
                                  "a=b=c\n");
  TabelaExcecoes t(TipoTabela::Legado);
  ASSERT_TRUE(t.CarregaExcecoes(p));
  EXPECT_EQ(t.Quantidade(), 5);
  EXPECT_EQ(t.Estatistica().invalidas, 1);  // "=orfao" names no word
  EXPECT_EQ(t.ProcuraExcecao("livro"), "li'vru");
  EXPECT_EQ(t.ProcuraExcecao("livros"), "li'vrus");
  EXPECT_EQ(t.ProcuraExcecao("cadernos"), "cadernos");
  EXPECT_EQ(t.ProcuraExcecao("voce^"), "vo'se^");
  EXPECT_EQ(t.ProcuraExcecao("voce^s"), "vo'se^s");
  EXPECT_EQ(t.ProcuraExcecao("tasm"), "TAsm");  // tried three times
  EXPECT_EQ(t.ProcuraExcecao("tams"), "TAms");
  EXPECT_EQ(t.ProcuraExcecao("tasx"), "tasx");          // only s and m are stripped
  EXPECT_EQ(t.ProcuraExcecao("semigual"), "semigual");  // stored as "semigual|"
  EXPECT_EQ(t.ProcuraExcecao("a"), "b=c");
  EXPECT_EQ(t.ProcuraExcecao("s"), "s");
  EXPECT_EQ(t.ProcuraExcecao(""), "");
  EXPECT_EQ(t.ProcuraExcecao("LIVRO"), "LIVRO");  // case matters in the legacy table
}

TEST(Excecoes, EngineTableUpperCasesLines) {
  PastaTemp d;
  TabelaExcecoes t(TipoTabela::Motor);
  ASSERT_TRUE(t.CarregaExcecoes(d.Escreve("e.exc", "voc\xea=voss\xea\ncora\xe7\xe3o=kura\n")));
  EXPECT_EQ(t.ProcuraExcecao("VOC\xca"), "VOSS\xca");
  EXPECT_EQ(t.ProcuraExcecao("VOC\xcaS"), "VOSS\xcaS");
  EXPECT_EQ(t.ProcuraExcecao("VOC\xcas"), "VOC\xcas");  // only S and M are stripped
  EXPECT_EQ(t.ProcuraExcecao("CORA\xc7\xc3O"), "KURA");
  EXPECT_EQ(MaiusculasCp1252("a\xe7\xff\x9a\xf7\xdf"), "A\xc7\x9f\x8a\xf7\xdf");
}

TEST(Excecoes, LimitOf15000AndLongLines) {
  PastaTemp d;
  std::string texto;
  for (int i = 0; i < 20000; ++i) {
    if (i % 1000 == 0) texto += "\n";  // empty lines do not count
    texto += "w" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  }
  TabelaExcecoes t(TipoTabela::Legado);
  ASSERT_TRUE(t.CarregaExcecoes(d.Escreve("e.exc", texto)));
  EXPECT_EQ(t.Quantidade(), kMaxExcecoes);
  EXPECT_EQ(t.ProcuraExcecao("w14999"), "14999");
  EXPECT_EQ(t.ProcuraExcecao("w15000"), "w15000");
  EXPECT_EQ(t.ProcuraExcecao("w0"), "0");

  const std::string p252 = std::string(250, 'k') + "=x";
  const std::string p253 = std::string(251, 'q') + "=x";
  ASSERT_TRUE(t.CarregaExcecoes(
      d.Escreve("l.exc", p252 + "\n" + p253 + "\n" + std::string(5000, 'z') + "\nfim=ok")));
  EXPECT_EQ(t.Quantidade(), 2);
  EXPECT_EQ(t.Estatistica().invalidas, 2);
  EXPECT_EQ(t.ProcuraExcecao(std::string(250, 'k')), "x");
  EXPECT_EQ(t.ProcuraExcecao(std::string(251, 'q')), std::string(251, 'q'));
  EXPECT_EQ(t.ProcuraExcecao("fim"), "ok");
}

TEST(Excecoes, EmptyAndMissingFiles) {
  PastaTemp d;
  TabelaExcecoes t(TipoTabela::Legado);
  ASSERT_TRUE(t.CarregaExcecoes(d.Escreve("e.exc", "casa=kaza\n")));
  ASSERT_TRUE(t.CarregaExcecoes(d.Escreve("v.exc", "")));
  EXPECT_EQ(t.Quantidade(), 0);
  EXPECT_EQ(t.ProcuraExcecao("casa"), "casa");
  ASSERT_TRUE(t.CarregaExcecoes(d.Escreve("e.exc", "casa=kaza\n")));
  EXPECT_FALSE(t.CarregaExcecoes(d.Dir() + "/missing.exc"));
  EXPECT_EQ(t.Quantidade(), 0);
}

TEST(Excecoes, SortIsByteOrder) {
  std::vector<std::string> palavras = {"z",  "\xe1gua", "a",  "ab",   "",     "b",
                                       "aa", "\x7f",    "ab", "\xff", "\x01", "abc"};
  std::mt19937 gerador(7);
  for (int i = 0; i < 2000; ++i) palavras.push_back(std::to_string(gerador() % 500));
  for (int rodada = 0; rodada < 5; ++rodada) {
    std::shuffle(palavras.begin(), palavras.end(), gerador);
    std::vector<palavra_alias> v;
    for (const auto& w : palavras) v.push_back({w, w});
    TabelaExcecoes::Ordena(v, 1, static_cast<int>(v.size()));
    auto esperado = palavras;
    std::sort(esperado.begin(), esperado.end(), [](const std::string& a, const std::string& b) {
      return std::lexicographical_compare(
          a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
          });
    });
    ASSERT_EQ(v.size(), esperado.size());
    for (size_t i = 0; i < v.size(); ++i) ASSERT_EQ(v[i].palavra, esperado[i]) << i;
  }
  // Already sorted and all-equal inputs.
  std::vector<palavra_alias> iguais(5000, palavra_alias{"x", "y"});
  TabelaExcecoes::Ordena(iguais, 1, 5000);
  EXPECT_EQ(iguais.front().palavra, "x");
}

}  // namespace
}  // namespace mg
