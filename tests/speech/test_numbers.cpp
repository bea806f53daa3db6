// Number words, and the recordings that numbers, time and date play.

#include <gtest/gtest.h>

#include "speech/numbers.h"
#include "speech/speech.h"
#include "tests/audio/fake_console.h"
#include "tests/speech/speech_fixture.h"

namespace mg {
namespace {

using Seq = std::vector<std::string>;

TEST(NumberToWords, ExamplesAndEdges) {
  EXPECT_EQ(NumberToWords(0), "zero");
  EXPECT_EQ(NumberToWords(7), "sete");
  EXPECT_EQ(NumberToWords(10), "dez");
  EXPECT_EQ(NumberToWords(17), "dezessete");
  EXPECT_EQ(NumberToWords(20), "vinte");
  EXPECT_EQ(NumberToWords(21), "vinte e um");
  EXPECT_EQ(NumberToWords(100), "cem");
  EXPECT_EQ(NumberToWords(101), "cento e um");
  EXPECT_EQ(NumberToWords(110), "cento e dez");
  EXPECT_EQ(NumberToWords(200), "duzentos");
  EXPECT_EQ(NumberToWords(999), "novecentos e noventa e nove");
  EXPECT_EQ(NumberToWords(1000), "mil ");
  EXPECT_EQ(NumberToWords(1001), "mil e um");
  EXPECT_EQ(NumberToWords(1230), "mil e duzentos e trinta");
  EXPECT_EQ(NumberToWords(2000), "dois mil ");
  EXPECT_EQ(NumberToWords(100000), "cem mil ");
  EXPECT_EQ(NumberToWords(123456), "cento e vinte e tres mil e quatrocentos e cinquenta e seis");
  EXPECT_EQ(NumberToWords(1000000), "um milh\xe3o ");
  EXPECT_EQ(NumberToWords(1000001), "um milh\xe3o e um");
  EXPECT_EQ(NumberToWords(2000000),
            "dois milh\xf5"
            "es ");
  EXPECT_EQ(NumberToWords(2500000),
            "dois milh\xf5"
            "es e quinhentos mil ");
  // Only a leading "um mil" loses its "um" (numbers this long are spelled when spoken).
  EXPECT_EQ(NumberToWords(1001000), "um milh\xe3o e um mil ");
  EXPECT_EQ(NumberToWords(1000000000), "um bilh\xe3o ");
  EXPECT_EQ(NumberToWords(3000000000000ULL),
            "tres trilh\xf5"
            "es ");
  EXPECT_EQ(NumberToWords(999999999999999ULL),
            "novecentos e noventa e nove trilh\xf5"
            "es novecentos e noventa e nove bilh\xf5"
            "es novecentos e noventa e nove milh\xf5"
            "es novecentos e noventa e nove mil e "
            "novecentos e noventa e nove");
  // Beyond the trillions: digit by digit rather than a wrong number.
  EXPECT_EQ(NumberToWords(1000000000000000ULL),
            "um zero zero zero zero zero zero zero zero zero zero zero zero zero zero zero");
}

TEST(NumberWordFileName, CutToEightWithTheSpecialCases) {
  EXPECT_EQ(NumberWordFileName("quatrocentos", false), "_quatroc");
  EXPECT_EQ(NumberWordFileName("dezesseis", false), "_dezesse");
  EXPECT_EQ(NumberWordFileName("dezessete", false), "_dezeset");
  EXPECT_EQ(NumberWordFileName("milh\xf5"
                               "es",
                               false),
            "_milhoes");
  EXPECT_EQ(NumberWordFileName("trilh\xf5"
                               "es",
                               false),
            "_trilhoe");
  EXPECT_EQ(NumberWordFileName("milh\xe3o", false), "_milhao");
  EXPECT_EQ(NumberWordFileName("um", true), "_uma");
  EXPECT_EQ(NumberWordFileName("dois", true), "_duas");
  EXPECT_EQ(NumberWordFileName("tres", true), "_tres");
}

TEST(RecordedWordNames, ListsEveryNameOnceAndNoneLongerThanEight) {
  const auto names = RecordedWordNames();
  for (const char* n : {"_um",     "_novecen", "_cem",     "_mil",     "_milhao",  "_milhoes",
                        "_bilhao", "_bilhoes", "_trilhao", "_trilhoe", "_e",       "_zero",
                        "_uma",    "_duas",    "_dezeset", "_dezesse", "_hora",    "_horas",
                        "_minuto", "_minutos", "_Domingo", "_Sabado",  "_Feverei", "_Dezembr",
                        "_Maio",   "_primeir", "_de",      "_MENOS",   "_FON9",    "_unknown"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_LE(names[i].size(), 8u) << names[i];
    EXPECT_EQ(std::find(names.begin() + static_cast<long>(i) + 1, names.end(), names[i]),
              names.end())
        << names[i];
  }
}

class Recorded : public test::SpeechTest {
 protected:
  void SetUp() override {
    SpeechTest::SetUp();
    StartLegacy();
  }
  std::vector<size_t> Blocks() const {
    std::vector<size_t> b;
    for (const auto& e : events_) {
      if (e.rfind("block:", 0) == 0) b.push_back(std::stoul(e.substr(6)) - 44);
    }
    return b;
  }
};

TEST_F(Recorded, NumberWordsJoinIntoOneBlock) {
  SpeakNumberWords(NumberToWords(17), false);
  EXPECT_EQ(Blocks(), (std::vector<size_t>{40}));
  EXPECT_EQ(Take(), (Seq{"w:_dezeset"}));
  SpeakNumberWords(NumberToWords(16), false);
  SpeakNumberWords(NumberToWords(1001), false);
  EXPECT_EQ(Blocks(), (std::vector<size_t>{40, 120}));
  EXPECT_EQ(Take(), (Seq{"w:_dezesse", "w:_mil", "w:_e", "w:_um"}));
}

TEST_F(Recorded, AMissingWordIsSkipped) {
  std::remove((LettersLinux() + "/_mil.wav").c_str());
  SpeakNumberWords(NumberToWords(2001), false);
  EXPECT_EQ(Take(), (Seq{"w:_dois", "w:_e", "w:_um"}));
}

TEST_F(Recorded, WordsLongerThanTheBlockPlayInPieces) {
  Record("_dois", 1000);
  Record("_mil", 70000);
  Record("_e", 29500);
  SpeakNumberWords("dois mil e", false);
  // "dois" alone, then "mil" in full blocks, its rest, and "e" in a block of its own.
  EXPECT_EQ(Blocks(), (std::vector<size_t>{1000, 30000, 30000, 10000, 29500}));
}

TEST_F(Recorded, HoursAreFeminine) {
  fake::SetClock(1, 0);
  SpeakTime();
  EXPECT_EQ(Take(), (Seq{"w:_uma", "_hora"}));
  fake::SetClock(21, 5);
  SpeakTime();
  EXPECT_EQ(Take(), (Seq{"w:_vinte", "w:_e", "w:_uma", "_horas", "w:_cinco", "_minutos"}));
  fake::SetClock(0, 0);
  SpeakTime();
  EXPECT_EQ(Take(), (Seq{"w:_zero", "_hora"}));
  fake::SetClock(2, 1);
  SpeakTime();
  EXPECT_EQ(Take(), (Seq{"w:_duas", "_horas", "w:_um", "_minuto"}));
}

TEST_F(Recorded, Dates) {
  fake::SetDate(2026, 1, 1, 4);
  SpeakDate();
  EXPECT_EQ(Take(), (Seq{"_Quinta", "_primeir", "_de", "_Janeiro", "_de", "w:_dois", "w:_mil", "_e",
                         "w:_vinte", "w:_e", "w:_seis"}));
  fake::SetDate(2000, 2, 17, 4);
  SpeakDate();
  EXPECT_EQ(Take(), (Seq{"_Quinta", "w:_dezeset", "_de", "_Feverei", "_de", "w:_dois", "w:_mil"}));
  fake::SetDate(1999, 12, 31, 5);
  SpeakDate();
  EXPECT_EQ(Take(), (Seq{"_Sexta", "w:_trinta", "w:_e", "w:_um", "_de", "_Dezembr", "_de",
                         "w:_noventa", "w:_e", "w:_nove"}));
  fake::SetDate(2100, 9, 2, 0);
  SpeakDate();
  EXPECT_EQ(Take(), (Seq{"_Domingo", "w:_dois", "_de", "_Setembr", "_de", "w:_dois", "w:_mil", "_e",
                         "w:_cem"}));
  fake::SetDate(2026, 13, 1, 0);  // a clock gone wrong says nothing rather than nonsense
  SpeakDate();
  EXPECT_TRUE(Take().empty());
}

}  // namespace
}  // namespace mg
