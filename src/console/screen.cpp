#include "console/screen.h"

#include <algorithm>
#include <cstring>

namespace mg {

void ScreenModel::Reset(uint8_t attr) {
  attribute_ = attr;
  std::memset(chars_, ' ', sizeof chars_);
  std::memset(attrs_, attr, sizeof attrs_);
  column_ = 0;
  row_ = 0;
}

void ScreenModel::SetCursor(int column, int row) {
  column_ = std::clamp(column, 1, kScreenCols) - 1;
  row_ = std::clamp(row, 1, kScreenRows) - 1;
}

void ScreenModel::NewLine(int& left, int& right, ScreenSink& sink) {
  if (left < right) sink.DrawStretch(row_, left, right);
  left = right = 0;
  if (row_ < kScreenRows - 1) {
    ++row_;
    return;
  }
  std::memmove(chars_, chars_ + kScreenCols, (kScreenRows - 1) * kScreenCols);
  std::memmove(attrs_, attrs_ + kScreenCols, (kScreenRows - 1) * kScreenCols);
  const int last = (kScreenRows - 1) * kScreenCols;
  std::memset(chars_ + last, ' ', kScreenCols);
  std::memset(attrs_ + last, attribute_, kScreenCols);
  sink.Scrolled();
}

void ScreenModel::Write(const char* chars, size_t count, ScreenSink& sink) {
  int left = column_;
  int right = column_;
  auto widen = [&] {
    if (left >= right) {
      left = column_;
      right = column_ + 1;
    } else {
      left = std::min(left, column_);
      right = std::max(right, column_ + 1);
    }
  };
  for (size_t i = 0; i < count; ++i) {
    const uint8_t c = static_cast<uint8_t>(chars[i]);
    switch (c) {
      case 7:
        sink.Beep();
        break;
      case 8:
        if (column_ >= 1) {
          --column_;
          chars_[row_ * kScreenCols + column_] = ' ';
          attrs_[row_ * kScreenCols + column_] = attribute_;
          widen();
        }
        break;
      case 10:
        NewLine(left, right, sink);
        column_ = 0;
        left = right = 0;
        break;
      case 13:
        if (left < right) sink.DrawStretch(row_, left, right);
        column_ = 0;
        left = right = 0;
        break;
      default:
        if (c < 32) break;
        if (column_ >= kScreenCols) {
          NewLine(left, right, sink);
          column_ = 0;
        }
        chars_[row_ * kScreenCols + column_] = c;
        attrs_[row_ * kScreenCols + column_] = attribute_;
        widen();
        ++column_;
        break;
    }
  }
  if (left < right) sink.DrawStretch(row_, left, right);
}

void ScreenModel::ClearToLineEnd(ScreenSink& sink) {
  if (column_ >= kScreenCols) return;
  std::memset(chars_ + row_ * kScreenCols + column_, ' ', kScreenCols - column_);
  std::memset(attrs_ + row_ * kScreenCols + column_, attribute_, kScreenCols - column_);
  sink.DrawStretch(row_, column_, kScreenCols);
}

}  // namespace mg
