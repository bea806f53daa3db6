// FalaFonemas against a small database: pauses, letter recordings, unit joining and
// cutting, trimming, decomposition, the noise burst and block handling.
#include <algorithm>

#include "synth_fixture.h"

namespace mg::test {
namespace {

std::vector<uint8_t> Speak(std::string_view phonemes) {
  Blocks().clear();
  FalaFonemas(phonemes);
  std::vector<uint8_t> all;
  for (const auto& b : Blocks()) all.insert(all.end(), b.begin() + 44, b.end());
  return all;
}

std::vector<uint8_t> Seq(std::initializer_list<std::pair<size_t, uint8_t>> runs) {
  std::vector<uint8_t> v;
  for (auto [n, value] : runs) v.insert(v.end(), n, value);
  return v;
}

class FalaFonemasTest : public SynthTest {
 protected:
  void SetUp() override {
    SynthTest::SetUp();
    WriteDatabase({Unit("$KA", 1000, 10), Unit("$KAZA", 2000, 20), Unit("$A", 500, 30),
                   Unit("$E", 500, 40), Unit("$AAAAAAA", 700, 50), Unit("$SOE", 300, 60),
                   Unit("$P", 200, 70), Unit("$RA", 900, 80), Unit("$S", 250, 90),
                   Unit("$ACIRC", 600, 100), Unit("$NN", 1000, 110), Unit("$BIGA", 65535, 5)});
    WriteLetter("_33", std::vector<uint8_t>(1234, 200));
    ASSERT_EQ(Start(), 0);
  }
};

TEST_F(FalaFonemasTest, EmptyStringPlaysNothing) {
  EXPECT_TRUE(Speak("").empty());
  EXPECT_TRUE(Blocks().empty());
}

TEST_F(FalaFonemasTest, PunctuationPausesAndLetterRecordings) {
  EXPECT_EQ(Speak("[ /_,]"), Seq({{4000, 128}}));
  EXPECT_EQ(Speak("[ /_.]"), Seq({{8000, 128}}));
  EXPECT_EQ(Speak("[ /_;]"), Seq({{6000, 128}}));
  EXPECT_EQ(Speak("[ /_:]"), Seq({{8000, 128}}));
  EXPECT_EQ(Speak("[ /_!]"), Seq({{1234, 200}}));
  // No recording for "?": nothing is played, and a letter name is never a noise burst.
  EXPECT_TRUE(Speak("[ /_?]").empty());
}

TEST_F(FalaFonemasTest, SlashJoinsShortPiecesIntoOneUnit) {
  AjustaParametros(0, 0, 100);
  EXPECT_EQ(Speak("[ka/za]"), Seq({{2000, 20}}));
  // A blank ends a unit without a pause.
  EXPECT_EQ(Speak("[ka a]"), Seq({{1000, 10}, {500, 30}}));
}

TEST_F(FalaFonemasTest, UnitOfNineCharactersIsCutAndFollowedByPause) {
  AjustaParametros(0, 0, 100);
  SetUnitLookupHook(RecordLookup);
  // "aaaaaaaaa" reaches 9 characters at the third "/": it ends there, a pause follows.
  const auto cut = Speak("[aaa/aaa/aaa/e]");
  EXPECT_EQ(cut, Seq({{567, 50}, {450, 30}, {500, 30}, {100, 128}, {500, 40}}));
  EXPECT_EQ(Lookups(),
            (std::vector<std::string>{"$AAAAAAAAA", "$AAAAAAAA", "$AAAAAAA", "$A", "$A", "$E"}));
  // With 8 characters the "/" still joins, so "e" is part of the same unit.
  Lookups().clear();
  Speak("[aaa/aaa/aa/e]");
  ASSERT_FALSE(Lookups().empty());
  EXPECT_EQ(Lookups().front(), "$AAAAAAAAE");
}

TEST_F(FalaFonemasTest, PauseBetweenWordsButNotAfterTheLast) {
  EXPECT_EQ(Speak("[kA][kA]"), Seq({{1000, 10}, {100, 128}, {1000, 10}}));
  AjustaParametros(400, 0, 250);  // silence comes in whole chunks of 100
  EXPECT_EQ(Speak("[kA][kA]"), Seq({{1000, 10}, {200, 128}, {1000, 10}}));
}

TEST_F(FalaFonemasTest, UnstressedUnitsLoseTheTrim) {
  EXPECT_EQ(Speak("[ka]"), Seq({{600, 10}}));
  EXPECT_EQ(Speak("[kA]"), Seq({{1000, 10}}));
  // Two-character units are never trimmed.
  EXPECT_EQ(Speak("[a]"), Seq({{500, 30}}));
  // 300 samples, trim 400, minimum 0: nothing left.
  EXPECT_TRUE(Speak("[soe]").empty());
  AjustaParametros(400, 120, 100);
  EXPECT_EQ(Speak("[soe]"), Seq({{120, 60}}));
  // The minimum never lengthens a unit beyond its recording.
  AjustaParametros(400, 5000, 100);
  EXPECT_EQ(Speak("[soe]"), Seq({{300, 60}}));
  // Once the stressed vowel has been spoken the mode is 0 and trimming goes on.
  AjustaParametros(400, 0, 100);
  EXPECT_EQ(Speak("[kA ka]"), Seq({{1000, 10}, {600, 10}}));
}

TEST_F(FalaFonemasTest, MissingShortUnitIsANoiseBurst) {
  const auto burst = Speak("[z]");
  ASSERT_EQ(burst.size(), 300u);
  EXPECT_TRUE(
      std::all_of(burst.begin(), burst.end(), [](uint8_t b) { return b >= 88 && b <= 167; }));
  EXPECT_GT(std::count_if(burst.begin(), burst.end(), [&](uint8_t b) { return b != burst[0]; }), 0);
  EXPECT_EQ(Speak("[z]"), burst) << "the same string sounds the same every time";
}

TEST_F(FalaFonemasTest, DecompositionFallbacks) {
  AjustaParametros(0, 0, 100);
  SetUnitLookupHook(RecordLookup);
  // Consonant cluster: "p" alone at factor 1, then the rest.
  EXPECT_EQ(Speak("[pra]"), Seq({{200, 70}, {900, 80}}));
  // A final consonant is split off; a final s of a two-symbol unit shortens the vowel.
  EXPECT_EQ(Speak("[kas]"), Seq({{1000, 10}, {250, 90}}));
  EXPECT_EQ(Speak("[as]"), Seq({{350, 30}, {250, 90}}));
  // A missing unit ending in a vowel: the head at 0.9, then the vowel.
  Lookups().clear();
  EXPECT_EQ(Speak("[kae]"), Seq({{900, 10}, {500, 40}}));
  EXPECT_EQ(Lookups(), (std::vector<std::string>{"$KAE", "$KA", "$E"}));
  // A tilde vowel without a TIL unit: the CIRC unit (mode 2, untrimmed) and the nasal murmur.
  AjustaParametros(400, 0, 100);
  Lookups().clear();
  EXPECT_EQ(Speak("[a~]"), Seq({{540, 100}, {540, 110}}));
  EXPECT_EQ(Lookups(), (std::vector<std::string>{"$ATIL", "$ACIRC", "$NN"}));
}

TEST_F(FalaFonemasTest, LongTextIsPlayedInSeveralBlocks) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "[kA]";
  const auto all = Speak(text);
  EXPECT_GE(Blocks().size(), 2u);
  EXPECT_EQ(all.size(), 100u * 1000 + 99 * 100);
  EXPECT_EQ(Played(), all);  // every header matches its block, none over 63999 bytes
}

TEST_F(FalaFonemasTest, UnitLongerThanTheBufferIsPlayedInPieces) {
  const auto all = Speak("[bIga]");
  EXPECT_EQ(all, Seq({{65535, 5}}));
  EXPECT_EQ(Blocks().size(), 2u);
  Played();
}

TEST_F(FalaFonemasTest, MalformedStringsAreSafe) {
  for (std::string_view s : {"[", "]", "/", "_", "[_", "[////////////]", "~~~~y", "[a~w]", "[~w]",
                             "^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^"}) {
    Speak(s);
  }
  std::string nul("[ /_");
  nul += '\0';
  nul += "]";
  EXPECT_EQ(Speak(nul).size(), 300u) << "a character without a recording of its own";
  Played();
}

}  // namespace
}  // namespace mg::test
