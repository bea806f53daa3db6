// Screen review on the real console's screen: what it reads, in which order, and where
// the review cursor ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "console/console.h"
#include "keyscript.h"
#include "speech/review.h"
#include "speech/reviewscreen.h"
#include "speech_double.h"

namespace mg {
namespace {

using test::Extended;
using test::Sounds;
using test::Type;
using test::WriteAt;
using Strings = std::vector<std::string>;

class ReviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConsoleOpen();
    test::ClearScreen();
    test::ClearSounds();
    while (KeyWaiting()) ReadKey();
  }
  // The sounds without the clicks between rows.
  static Strings WithoutClicks() {
    Strings s;
    std::copy_if(Sounds().begin(), Sounds().end(), std::back_inserter(s),
                 [](const std::string& x) { return x != "click"; });
    return s;
  }
};

TEST_F(ReviewTest, RightAtColumnEightyAndEightyOne) {
  WriteAt(80, 2, "Z");
  SetCursor(80, 2);
  Extended(77);
  Extended(77);
  Type("\x1b");                   // typed ahead: dropped by the column correction
  test::PushAfterBeep({});        // the beep that starts the review
  test::PushAfterBeep({11, 27});  // after the correction: Ctrl+K, Escape
  ScreenReview();
  EXPECT_EQ(Sounds(), (Strings{"beep", "char:90", "char:32", "beep", "text:2 80", "beep", "beep"}));
  EXPECT_EQ(CursorColumn(), 80);  // back where the console cursor was
  EXPECT_EQ(CursorRow(), 2);
}

TEST_F(ReviewTest, TlKeepsTheCursorTtEndsAtTheEndOfTheLastRow) {
  WriteAt(1, 3, "um dois");
  SetCursor(5, 3);
  Type("tl");
  test::TypeLater("\x0bTT");
  test::TypeLater("\x0b\x1b");
  ScreenReview();
  EXPECT_EQ(WithoutClicks(), (Strings{"beep", "text:um", "text:dois", "text:3 5", "text:um",
                                      "text:dois", "text:25 1", "beep", "beep"}));
  EXPECT_EQ(std::count(Sounds().begin(), Sounds().end(), "click"), 24);  // between 25 rows
}

TEST_F(ReviewTest, LCountsAsTAndBadCommandsSignal) {
  WriteAt(1, 3, "um");
  SetCursor(1, 3);
  Type("ll");                 // LL = TL
  test::TypeLater("xq\x1b");  // x is no first letter; q gives an error too
  ScreenReview();
  EXPECT_EQ(Sounds(), (Strings{"beep", "text:um", "beep", "click", "beep", "beep", "click", "beep",
                               "beep", "beep"}));
}

TEST_F(ReviewTest, TenHyphensAreReadAsThreeAndTheNextWordFollows) {
  WriteAt(1, 4, "----------abc");
  SetCursor(1, 4);
  Extended(59);
  Extended(59);
  Type("\x0b\x1b");
  ScreenReview();
  EXPECT_EQ(Sounds(), (Strings{"beep", "text:---", "text:abc", "text:4 14", "beep", "beep"}));
}

TEST_F(ReviewTest, ConsonantOnlyWordsAreSpelled) {
  WriteAt(1, 6, "CBF e XYZ ok");
  SetCursor(1, 6);
  Type(" ");
  test::TypeLater("\x1b");
  ScreenReview();
  EXPECT_EQ(Sounds(),
            (Strings{"beep", "spell:CBF", "text:e", "spell:XYZ", "text:ok", "beep", "beep"}));
}

TEST_F(ReviewTest, AWordInTheLastColumnIsRead) {
  WriteAt(78, 8, "a b");
  SetCursor(1, 8);
  Type(" ");
  test::TypeLater("\x1b");
  ScreenReview();
  EXPECT_EQ(Sounds(), (Strings{"beep", "text:a", "text:b", "beep", "beep"}));
}

TEST_F(ReviewTest, F6GoesToTypedRowAndColumn) {
  SetCursor(1, 1);
  Extended(64);
  Type("0512\x0b");
  Extended(64);
  Type("0a\x0b\x1b");  // a letter: two beeps, the cursor stays
  ScreenReview();
  EXPECT_EQ(Sounds(), (Strings{"beep", "text:Entre linha e coluna", "char:48", "char:53", "char:49",
                               "char:50", "text:5 12", "text:Entre linha e coluna", "char:48",
                               "beep", "beep", "text:5 12", "beep", "beep"}));
}

TEST_F(ReviewTest, SearchAgainFindsTheNextOccurrence) {
  WriteAt(10, 6, "alvo");
  WriteAt(3, 9, "alvo");
  SetCursor(1, 1);
  Extended(63);
  Type("alvx\bo\r\x0b");
  Extended(98);
  Type("\x0b");
  Extended(98);
  Type("\x1b");
  ScreenReview();
  EXPECT_EQ(Sounds(), (Strings{"beep", "text:Qual texto", "char:97", "char:108", "char:118",
                               "char:120", "rec:_DEL", "char:120", "char:111", "click", "text:6 10",
                               "click", "text:9 3", "beep", "beep", "beep", "beep"}));
  // The text stays for the next review.
  test::ClearSounds();
  SetCursor(1, 1);
  Extended(98);
  Type("\x0b\x1b");
  ScreenReview();
  EXPECT_EQ(Sounds(), (Strings{"beep", "click", "text:6 10", "beep", "beep"}));
  // Escape while typing leaves nothing to search for.
  test::ClearSounds();
  Extended(63);
  Type("zz\x1b");
  Extended(98);
  Type("\x1b");
  ScreenReview();
  EXPECT_EQ(Sounds(), (Strings{"beep", "text:Qual texto", "char:122", "char:122", "beep", "beep",
                               "beep", "beep"}));
}

TEST_F(ReviewTest, FieldsSplitByAttributeAndDelimiters) {
  WriteAt(1, 7, "Nome:", 0x0F);
  WriteAt(6, 7, "Joao Silva", 0x1E);
  WriteAt(16, 7, "|Idade? 30", 0x1E);
  auto field = [](int c) {
    const review::Field f = review::FieldAt(c, 7);
    return std::make_pair(f.start, f.end);
  };
  EXPECT_EQ(field(3), std::make_pair(1, 4));     // up to the colon
  EXPECT_EQ(field(8), std::make_pair(6, 15));    // the colour changes at both ends
  EXPECT_EQ(field(5), std::make_pair(6, 4));     // a delimiter: empty, after it
  EXPECT_EQ(field(18), std::make_pair(17, 21));  // between "|" and "?"
  EXPECT_EQ(field(24), std::make_pair(23, 25));
  EXPECT_EQ(field(60), std::make_pair(26, 80));  // blanks of the start colour

  SetCursor(8, 7);
  Extended(94);  // Ctrl+F1: the whole field
  test::TypeLater(
      "\t\x0b"
      "fc");  // Tab to the next field, read from there to its end
  test::TypeLater("\x0b\x1b");
  ScreenReview();
  EXPECT_EQ(Sounds(), (Strings{"beep", "text:Joao", "text:Silva", "click", "text:7 17",
                               "text:Idade", "text:7 17", "beep", "beep"}));
}

TEST_F(ReviewTest, CtrlCCopiesTheWholeScreen) {
  WriteAt(1, 1, "linha um");
  WriteAt(1, 25, "fim");
  Type("\x03\x1b");
  ScreenReview();
  std::vector<char> clip(4096, '\0');
  PasteFromClipboard(clip.data(), clip.size());
  const std::string text(clip.data());
  ASSERT_EQ(text.size(), 25u * 82u);
  EXPECT_EQ(text.substr(0, 82), "linha um" + std::string(72, ' ') + "\r\n");
  EXPECT_EQ(text.substr(24 * 82, 5), "fim  ");
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST_F(ReviewTest, UpAtTheTopBeepsCtrlPgDnFindsTheLastLetter) {
  WriteAt(1, 20, "fim x9");
  WriteAt(1, 22, "123 ...");
  SetCursor(1, 1);
  Extended(72);
  Extended(118);
  test::TypeLater("\x0b\x1b");
  ScreenReview();
  EXPECT_EQ(Sounds(),
            (Strings{"beep", "beep", "text:fim", "text:x9", "text:20 5", "beep", "beep"}));
}

}  // namespace
}  // namespace mg
