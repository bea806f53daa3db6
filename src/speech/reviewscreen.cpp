#include "speech/reviewscreen.h"

#include <algorithm>

#include "console/console.h"

namespace mg::review {
namespace {

bool OnScreen(int column, int row) {
  return column >= 1 && column <= kScreenCols && row >= 1 && row <= kScreenRows;
}

}  // namespace

uint8_t CharAt(int column, int row) {
  return OnScreen(column, row) ? ScreenCharAt(column, row) : ' ';
}

uint8_t AttrAt(int column, int row) {
  return OnScreen(column, row) ? ScreenAttrAt(column, row) : 0;
}

bool IsWordChar(uint8_t c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  if (c >= 0xE0) c = static_cast<uint8_t>(c - 0x20);  // lower-case accented letters
  switch (c) {
    case 0xC0:  // À
    case 0xC1:  // Á
    case 0xC2:  // Â
    case 0xC3:  // Ã
    case 0xC7:  // Ç
    case 0xC9:  // É
    case 0xCA:  // Ê
    case 0xCD:  // Í
    case 0xD1:  // Ñ
    case 0xD3:  // Ó
    case 0xD4:  // Ô
    case 0xD5:  // Õ
    case 0xDA:  // Ú
      return true;
    default:
      return false;
  }
}

bool IsFieldDelimiter(uint8_t c) {
  return c == '!' || c == ':' || c == '?' || c == '|' || (c >= 176 && c <= 223);
}

bool IsConsonant(uint8_t c) {
  if (c >= 'a' && c <= 'z') c = static_cast<uint8_t>(c - 32);
  if (c < 'B' || c > 'Z') return false;
  return c != 'E' && c != 'I' && c != 'O' && c != 'U';
}

Field FieldAt(int column, int row) {
  const uint8_t a = AttrAt(column, row);
  auto inField = [&](int c) {
    return c >= 1 && c <= kScreenCols && AttrAt(c, row) == a && !IsFieldDelimiter(CharAt(c, row));
  };
  int s = column;
  while (inField(s)) --s;
  int e = column;
  while (inField(e)) ++e;
  return {s + 1, e - 1};
}

int EndOfRow(int row) {
  for (int c = kScreenCols; c >= 1; --c) {
    if (CharAt(c, row) != ' ') return c + 1;
  }
  return 1;
}

std::string RowText(int row) {
  std::string s(kScreenCols, ' ');
  for (int c = 1; c <= kScreenCols; ++c) s[c - 1] = static_cast<char>(CharAt(c, row));
  return s;
}

bool FindText(std::string_view needle, int row, int column, int& foundRow, int& foundColumn) {
  if (needle.empty()) return false;
  for (int r = std::max(row, 1); r <= kScreenRows; ++r) {
    const std::string text = RowText(r);
    const size_t from = r == row ? static_cast<size_t>(std::max(column, 0)) : 0;
    if (from >= text.size()) continue;
    const size_t at = text.find(needle, from);
    if (at != std::string::npos) {
      foundRow = r;
      foundColumn = static_cast<int>(at) + 1;
      return true;
    }
  }
  return false;
}

std::string ScreenText() {
  std::string s;
  s.reserve(kScreenRows * (kScreenCols + 2));
  for (int r = 1; r <= kScreenRows; ++r) {
    std::string row = RowText(r);
    for (char& c : row) {
      if (c == '\0') c = ' ';  // a zero would end the clipboard text early
    }
    s += row;
    s += "\r\n";
  }
  return s;
}

}  // namespace mg::review
