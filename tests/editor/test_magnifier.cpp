// The line magnifier: how the line is cut, and the picture it paints (offscreen console,
// software renderer).
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "console/console.h"
#include "speech/magnifier.h"

namespace mg {
namespace {

const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

TEST(MagnifierLayout, ZoomFourShowsTwentyAndFollowsThePosition) {
  int start = 1;
  MagnifierLine l = MagnifierLayout(kAlphabet, 10, 4, start);
  EXPECT_EQ(l.before, "ABCDEFGH");
  EXPECT_EQ(l.marked, "I");
  EXPECT_EQ(l.after, "JKLMNOPQRST");
  // Typing on: the marked character is always the one left of the position, and the
  // line always holds 20 characters.
  for (int c = 2; c <= 26; ++c) {
    l = MagnifierLayout(kAlphabet, c, 4, start);
    ASSERT_EQ(l.marked, std::string(1, kAlphabet[c - 2])) << c;
    ASSERT_EQ(l.before.size() + l.marked.size() + l.after.size(), 20u) << c;
  }
  EXPECT_EQ(start, 6);  // position 26 = start + 20
  // Back to the left: the start follows.
  l = MagnifierLayout(kAlphabet, 4, 4, start);
  EXPECT_EQ(start, 3);
  EXPECT_EQ(l.before, "");
  EXPECT_EQ(l.marked, "C");
}

TEST(MagnifierLayout, PositionOneMarksNothingShortTextsArePadded) {
  int start = 1;
  MagnifierLine l = MagnifierLayout("abc", 1, 4, start);
  EXPECT_EQ(l.before, "");
  EXPECT_EQ(l.marked, "");
  EXPECT_EQ(l.after, "abc" + std::string(17, ' '));
  l = MagnifierLayout("abc", 0, 4, start);  // below 1 counts as 1
  EXPECT_EQ(l.marked, "");
  l = MagnifierLayout("abc", 9, 10, start);  // zoom 10: 8 characters
  EXPECT_EQ(start, 1);
  EXPECT_EQ(l.before, "abc    ");
  EXPECT_EQ(l.before.size() + l.marked.size() + l.after.size(), 8u);
  EXPECT_EQ(MagnifierLayout("abc", 2, 0, start).after, "");
}

struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;
  Rgb At(int x, int y) const {
    const uint32_t p = argb[static_cast<size_t>(y) * width + x];
    return {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)};
  }
};

bool Near(Rgb a, Rgb b) {
  return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) < 40;
}

constexpr Rgb kUntouched{255, 0, 255};

// Paints the magnifier onto a fresh software renderer cleared to magenta.
Pixels Paint() {
  Pixels px;
  px.width = kScreenCols * CellWidth();
  px.height = 6 * CellHeight();
  SDL_Surface* s =
      SDL_CreateRGBSurfaceWithFormat(0, px.width, px.height, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Renderer* r = SDL_CreateSoftwareRenderer(s);
  SDL_SetRenderDrawColor(r, kUntouched.r, kUntouched.g, kUntouched.b, 255);
  SDL_RenderClear(r);
  MagnifierPaint(r);
  px.argb.resize(static_cast<size_t>(px.width) * px.height);
  SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_ARGB8888, px.argb.data(), px.width * 4);
  SDL_DestroyRenderer(r);
  SDL_FreeSurface(s);
  return px;
}

class MagnifierPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    ConsoleOpen();
    MagnifierSetColours(14, 6, 3);
  }
  void TearDown() override { MagnifierMakeFont(1, 0); }
};

// The picture of "ABCDEFGHMJKL..." at position 10, zoom 4: twenty cells on the
// background colour, the ninth (a wide "M") in the cursor colour, the others in the
// letter colour. A window narrower than the 80 cells (a small screen) shows the cells
// that fit.
void ExpectTwentyCellsMarkedNinth(const Pixels& px) {
  const int cw = 4 * CellWidth(), ch = 4 * CellHeight();
  const Rgb letter = ColourOf(14), back = ColourOf(6), mark = ColourOf(3);
  ASSERT_GE(px.width, 10 * cw);
  ASSERT_GE(px.height, ch);
  for (int cell = 0; cell < std::min(20, px.width / cw); ++cell) {
    int letters = 0, marks = 0, backs = 0, untouched = 0;
    for (int y = 0; y < ch; ++y) {
      for (int x = cell * cw; x < (cell + 1) * cw; ++x) {
        const Rgb p = px.At(x, y);
        if (Near(p, letter))
          ++letters;
        else if (Near(p, mark))
          ++marks;
        else if (Near(p, back))
          ++backs;
        else if (Near(p, kUntouched))
          ++untouched;
      }
    }
    EXPECT_EQ(untouched, 0) << "cell " << cell << " not fully painted";
    EXPECT_GT(backs, cw * ch / 3) << cell;
    if (cell == 8) {
      EXPECT_GT(marks, cw * ch / 50) << "marked cell";
      EXPECT_EQ(letters, 0) << "marked cell";
    } else {
      EXPECT_GT(letters, cw * ch / 50) << cell;
      EXPECT_EQ(marks, 0) << cell;
    }
  }
}

TEST_F(MagnifierPicture, ZoomFourShowsTwentyCharactersMarkedInTheCursorColour) {
  MagnifierMakeFont(1, 4);
  ASSERT_TRUE(MagnifierOn());
  MagnifierDraw("ABCDEFGHMJKLNOPQRSTUVWXYZ", 10);
  const Pixels px = Paint();
  ExpectTwentyCellsMarkedNinth(px);
  const int cw = 4 * CellWidth(), ch = 4 * CellHeight();
  for (int y = 0; y < px.height; ++y) {
    for (int x = (y < ch ? 20 * cw : 0); x < px.width; ++x) {
      ASSERT_TRUE(Near(px.At(x, y), kUntouched)) << x << "," << y;
    }
  }
}

#ifndef MG_CONSOLE_DOUBLE
// Through the console's own painting: the overlay painter draws the line over the cells.
TEST_F(MagnifierPicture, TheConsoleWindowShowsTheLineOverItsText) {
  MagnifierMakeFont(1, 4);
  ASSERT_TRUE(MagnifierOn());
  Pixels px;
  SetOverlayPainter([&px](void* renderer) {
    auto* r = static_cast<SDL_Renderer*>(renderer);
    MagnifierPaint(r);
    SDL_GetRendererOutputSize(r, &px.width, &px.height);
    px.argb.assign(static_cast<size_t>(px.width) * px.height, 0);
    SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_ARGB8888, px.argb.data(), px.width * 4);
  });
  MagnifierDraw("ABCDEFGHMJKLNOPQRSTUVWXYZ", 10);
  PresentConsole();  // the console's next picture, as the editor's next write makes it
  ASSERT_FALSE(px.argb.empty());
  ExpectTwentyCellsMarkedNinth(px);
  SetOverlayPainter({});
}
#endif

TEST_F(MagnifierPicture, ZoomZeroAndRepaintDrawNothing) {
  MagnifierMakeFont(1, 0);
  EXPECT_FALSE(MagnifierOn());
  MagnifierDraw("ABC", 2);
  Pixels px = Paint();
  for (size_t i = 0; i < px.argb.size(); ++i) {
    ASSERT_TRUE(
        Near(px.At(static_cast<int>(i % px.width), static_cast<int>(i / px.width)), kUntouched));
  }
  MagnifierMakeFont(1, 4);
  MagnifierDraw("ABC", 2);
  MagnifierRepaint();
  px = Paint();
  for (size_t i = 0; i < px.argb.size(); ++i) {
    ASSERT_TRUE(
        Near(px.At(static_cast<int>(i % px.width), static_cast<int>(i / px.width)), kUntouched));
  }
}

}  // namespace
}  // namespace mg
