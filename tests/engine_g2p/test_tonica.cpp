#include <gtest/gtest.h>

#include <string>

#include "engine/uttsTonica.h"

namespace mg {
namespace {

TEST(PosicaoTonica, WordEndingsDecideTheStressedVowel) {
  EXPECT_EQ(PosicaoTonica("casa"), 2);
  EXPECT_EQ(PosicaoTonica("casas"), 2);
  EXPECT_EQ(PosicaoTonica("amor"), 3);
  EXPECT_EQ(PosicaoTonica("falam"), 2);
  EXPECT_EQ(PosicaoTonica("jardim"), 5);
  EXPECT_EQ(PosicaoTonica("homem"), 2);
}

TEST(PosicaoTonica, DiphthongsAndSilentU) {
  EXPECT_EQ(PosicaoTonica("rua"), 2);    // the u carries the stress
  EXPECT_EQ(PosicaoTonica("quilo"), 3);  // the u of qu is silent
  EXPECT_EQ(PosicaoTonica("aqui"), 4);
  EXPECT_EQ(PosicaoTonica("fui"), 2);
  EXPECT_EQ(PosicaoTonica("pai"), 2);
  EXPECT_EQ(PosicaoTonica("leite"), 2);  // falling diphthong
  EXPECT_EQ(PosicaoTonica("meu"), 2);
  EXPECT_EQ(PosicaoTonica("seguir"), 5);
  EXPECT_EQ(PosicaoTonica("guerra"), 3);
  EXPECT_EQ(PosicaoTonica("reais"), 3);  // the vowel before the e belongs elsewhere
  EXPECT_EQ(PosicaoTonica("ideais"), 4);
  EXPECT_EQ(PosicaoTonica("papai"), 4);
  EXPECT_EQ(PosicaoTonica("uruguai"), 6);
  EXPECT_EQ(PosicaoTonica("praia"), 3);  // an i between vowels is a glide
  EXPECT_EQ(PosicaoTonica("cheia"), 3);
  EXPECT_EQ(PosicaoTonica("apoio"), 3);
  EXPECT_EQ(PosicaoTonica("dia"), 2);
}

TEST(PosicaoTonica, WrittenAccentWins) {
  EXPECT_EQ(PosicaoTonica("\xe1gua"), 1);      // água
  EXPECT_EQ(PosicaoTonica("voc\xea"), 4);      // você
  EXPECT_EQ(PosicaoTonica("\xf3rg\xe3o"), 4);  // órgão: the rightmost accent
  EXPECT_EQ(PosicaoTonica("p\xe1ssaro"), 2);
}

TEST(PosicaoTonica, NoVowelGivesZero) {
  EXPECT_EQ(PosicaoTonica("PSST"), 0);
  EXPECT_EQ(PosicaoTonica(""), 0);
  EXPECT_EQ(PosicaoTonica("123"), 0);
  EXPECT_EQ(PosicaoTonica(std::string("\x01\x80\x9f", 3)), 0);
}

TEST(PosicaoTonica, CaseDoesNotMatter) {
  for (const char* w : {"casa", "amor", "jardim", "quilo", "aqui", "leite", "rua"}) {
    std::string up(w);
    for (char& c : up) c = static_cast<char>(c - 32);
    EXPECT_EQ(PosicaoTonica(up), PosicaoTonica(w)) << w;
  }
  EXPECT_EQ(PosicaoTonica("\xc1GUA"), 1);        // ÁGUA
  EXPECT_EQ(PosicaoTonica("VOC\xca"), 4);        // VOCÊ
  EXPECT_EQ(PosicaoTonica("CORA\xc7\xc3O"), 6);  // CORAÇÃO
}

TEST(PosicaoTonica, GlidesAndDiaeresisCountAsVowels) {
  EXPECT_EQ(PosicaoTonica("y"), 0);  // a lone y: no rule of the ending picks it
  EXPECT_EQ(PosicaoTonica("byr"), 2);
  EXPECT_EQ(PosicaoTonica("g\xfc"), 0);
}

TEST(PosicaoTonica, LongWordsStayInRange) {
  std::string w(100000, 'a');
  const int p = PosicaoTonica(w);
  EXPECT_GE(p, 1);
  EXPECT_LE(p, 100000);
  std::string consoantes(100000, 'b');
  EXPECT_EQ(PosicaoTonica(consoantes), 0);
}

TEST(MinusculaCp1252, AccentedLettersAndOthers) {
  EXPECT_EQ(MinusculaCp1252('A'), 'a');
  EXPECT_EQ(MinusculaCp1252('\xc3'), '\xe3');  // Ã
  EXPECT_EQ(MinusculaCp1252('\xd7'), '\xd7');  // multiplication sign stays
  EXPECT_EQ(MinusculaCp1252('\x8a'), '\x9a');  // Š
  EXPECT_EQ(MinusculaCp1252('1'), '1');
}

}  // namespace
}  // namespace mg
