// The screen model behind the console window: 80 x 25 cells of cp1252 characters and
// attributes, the cursor and the text-writing rules. It knows nothing of the window;
// what must be drawn, scrolled or beeped is reported to a ScreenSink.
#pragma once

#include <cstddef>
#include <cstdint>

#include "console/console.h"

namespace mg {

class ScreenSink {
 public:
  virtual ~ScreenSink() = default;
  // Columns [left, right) of `row` (all from 0) changed and must be drawn.
  virtual void DrawStretch(int row, int left, int right) = 0;
  // Every row moved up by one; the whole screen must be brought up to date.
  virtual void Scrolled() = 0;
  virtual void Beep() = 0;
};

class ScreenModel {
 public:
  ScreenModel() { Reset(0x0F); }

  // Every cell blank with `attr`, which becomes the current attribute; cursor (0, 0).
  void Reset(uint8_t attr);

  // Writes at the cursor: 7 beep, 8 backspace, 10 new line, 13 carriage return,
  // 32-255 stored; everything else ignored. A character written while the cursor
  // stands past the last column first moves to the start of the next row.
  void Write(const char* chars, size_t count, ScreenSink& sink);
  void ClearToLineEnd(ScreenSink& sink);

  // Column and row counted from 1, each clamped into the screen.
  void SetCursor(int column, int row);
  // Counted from 0. The column is 80 right after the last cell of a row was written:
  // the wrap happens with the next character, so a full row followed by a line end
  // leaves no empty row.
  int column() const { return column_; }
  int row() const { return row_; }

  uint8_t attribute() const { return attribute_; }
  void set_attribute(uint8_t attr) { attribute_ = attr; }

  // Counted from 0; callers check the range.
  uint8_t CharAt(int column, int row) const { return chars_[row * kScreenCols + column]; }
  uint8_t AttrAt(int column, int row) const { return attrs_[row * kScreenCols + column]; }
  const uint8_t* RowChars(int row) const { return chars_ + row * kScreenCols; }
  const uint8_t* RowAttrs(int row) const { return attrs_ + row * kScreenCols; }

 private:
  void NewLine(int& left, int& right, ScreenSink& sink);

  uint8_t chars_[kScreenCols * kScreenRows];
  uint8_t attrs_[kScreenCols * kScreenRows];
  int column_ = 0;
  int row_ = 0;
  uint8_t attribute_ = 0x0F;
};

}  // namespace mg
