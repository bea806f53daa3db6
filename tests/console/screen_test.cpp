#include "console/screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mg {
namespace {

struct RecordingSink : ScreenSink {
  struct Stretch {
    int row, left, right;
  };
  std::vector<Stretch> stretches;
  int scrolls = 0;
  int beeps = 0;
  void DrawStretch(int row, int left, int right) override {
    stretches.push_back({row, left, right});
  }
  void Scrolled() override { ++scrolls; }
  void Beep() override { ++beeps; }
};

class ScreenTest : public ::testing::Test {
 protected:
  void Write(const std::string& s) { screen.Write(s.data(), s.size(), sink); }
  std::string Row(int row) const {
    return std::string(reinterpret_cast<const char*>(screen.RowChars(row)), kScreenCols);
  }
  static std::string Padded(const std::string& s) {
    return s + std::string(kScreenCols - s.size(), ' ');
  }
  ScreenModel screen;
  RecordingSink sink;
};

TEST_F(ScreenTest, ResetBlanksEveryCellWithTheAttribute) {
  screen.Reset(0x1E);
  for (int r = 0; r < kScreenRows; ++r) {
    for (int c = 0; c < kScreenCols; ++c) {
      ASSERT_EQ(screen.CharAt(c, r), ' ');
      ASSERT_EQ(screen.AttrAt(c, r), 0x1E);
    }
  }
  EXPECT_EQ(screen.column(), 0);
  EXPECT_EQ(screen.row(), 0);
}

TEST_F(ScreenTest, TextIsStoredWithTheCurrentAttributeAndDrawnAsOneStretch) {
  Write("ab");
  screen.set_attribute(0x1E);
  Write("c\xe7");
  EXPECT_EQ(Row(0), Padded("abc\xe7"));
  EXPECT_EQ(screen.AttrAt(1, 0), 0x0F);
  EXPECT_EQ(screen.AttrAt(2, 0), 0x1E);
  EXPECT_EQ(screen.AttrAt(3, 0), 0x1E);
  ASSERT_EQ(sink.stretches.size(), 2u);
  EXPECT_EQ(sink.stretches[1].left, 2);
  EXPECT_EQ(sink.stretches[1].right, 4);
}

TEST_F(ScreenTest, The81stCharacterWrapsToTheNextRow) {
  Write(std::string(80, 'x'));
  EXPECT_EQ(screen.row(), 0);
  EXPECT_EQ(screen.column(), 80);
  Write("y");
  EXPECT_EQ(Row(0), std::string(80, 'x'));
  EXPECT_EQ(Row(1), Padded("y"));
  EXPECT_EQ(screen.row(), 1);
  EXPECT_EQ(screen.column(), 1);
}

TEST_F(ScreenTest, AFullRowFollowedByALineEndLeavesNoEmptyRow) {
  Write(std::string(80, 'x') + "\r\nz");
  EXPECT_EQ(Row(1), Padded("z"));
}

TEST_F(ScreenTest, WrapOnTheLastRowScrolls) {
  screen.SetCursor(1, 25);
  Write("top");
  screen.SetCursor(1, 1);
  Write("first");
  screen.SetCursor(1, 25);
  Write(std::string(81, 'w'));
  EXPECT_EQ(sink.scrolls, 1);
  EXPECT_EQ(screen.row(), 24);
  EXPECT_EQ(Row(23), std::string(80, 'w'));
  EXPECT_EQ(Row(24), Padded("w"));
  EXPECT_NE(Row(0), Padded("first"));
}

TEST_F(ScreenTest, CarriageReturnWithoutLineFeedOverwritesTheRow) {
  Write("hello\rJ");
  EXPECT_EQ(Row(0), Padded("Jello"));
  EXPECT_EQ(screen.row(), 0);
  EXPECT_EQ(screen.column(), 1);
}

TEST_F(ScreenTest, BackspaceBlanksTheCellToTheLeftButNothingAtColumnZero) {
  screen.set_attribute(0x2A);
  Write("\b");
  EXPECT_EQ(screen.column(), 0);
  EXPECT_EQ(screen.AttrAt(0, 0), 0x0F);
  Write("ab\b");
  EXPECT_EQ(Row(0), Padded("a"));
  EXPECT_EQ(screen.column(), 1);
  EXPECT_EQ(screen.AttrAt(1, 0), 0x2A);
  Write(std::string(79, 'q') + "\b");  // from past the last column
  EXPECT_EQ(screen.column(), 79);
  EXPECT_EQ(screen.CharAt(79, 0), ' ');
}

TEST_F(ScreenTest, LineFeedOnTheLastRowScrollsEverythingUp) {
  for (int r = 1; r <= 25; ++r) {
    screen.SetCursor(1, r);
    Write("row" + std::to_string(r));
  }
  screen.set_attribute(0x40);
  Write("\n");
  EXPECT_EQ(sink.scrolls, 1);
  EXPECT_EQ(screen.row(), 24);
  EXPECT_EQ(screen.column(), 0);
  EXPECT_EQ(Row(0), Padded("row2"));
  EXPECT_EQ(Row(23), Padded("row25"));
  EXPECT_EQ(Row(24), Padded(""));
  EXPECT_EQ(screen.AttrAt(0, 24), 0x40);
  EXPECT_EQ(screen.AttrAt(0, 23), 0x0F);
}

TEST_F(ScreenTest, LineFeedAboveTheLastRowMovesDownWithoutScrolling) {
  Write("ab\ncd");
  EXPECT_EQ(sink.scrolls, 0);
  EXPECT_EQ(Row(1), Padded("cd"));
}

TEST_F(ScreenTest, ControlCodesAreIgnoredAndBellBeeps) {
  Write(
      "a\tb\x01\x1b"
      "c\a");
  EXPECT_EQ(Row(0), Padded("abc"));
  EXPECT_EQ(sink.beeps, 1);
}

TEST_F(ScreenTest, SetCursorClampsIntoTheScreen) {
  screen.SetCursor(0, 0);
  EXPECT_EQ(screen.column(), 0);
  EXPECT_EQ(screen.row(), 0);
  screen.SetCursor(200, 26);
  EXPECT_EQ(screen.column(), 79);
  EXPECT_EQ(screen.row(), 24);
  screen.SetCursor(-5, 3);
  EXPECT_EQ(screen.column(), 0);
  EXPECT_EQ(screen.row(), 2);
}

TEST_F(ScreenTest, ClearToLineEndBlanksFromTheCursorWithTheCurrentAttribute) {
  Write("abcdef");
  screen.SetCursor(3, 1);
  screen.set_attribute(0x70);
  sink.stretches.clear();
  screen.ClearToLineEnd(sink);
  EXPECT_EQ(Row(0), Padded("ab"));
  EXPECT_EQ(screen.AttrAt(1, 0), 0x0F);
  EXPECT_EQ(screen.AttrAt(2, 0), 0x70);
  EXPECT_EQ(screen.AttrAt(79, 0), 0x70);
  ASSERT_EQ(sink.stretches.size(), 1u);
  EXPECT_EQ(sink.stretches[0].left, 2);
  EXPECT_EQ(sink.stretches[0].right, 80);
}

}  // namespace
}  // namespace mg
