// What the screen review reads: cells, words, fields and rows of the console screen.
// A cell outside the screen reads as a blank with attribute 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mg::review {

uint8_t CharAt(int column, int row);
uint8_t AttrAt(int column, int row);

// Digits, A-Z, a-z and the Portuguese accented letters in both cases.
bool IsWordChar(uint8_t c);
// "!", ":", "?", "|" and the box-drawing range 176-223.
bool IsFieldDelimiter(uint8_t c);
// B-Z without the vowels, in either case (W and Y included).
bool IsConsonant(uint8_t c);

// The cells of one row around a column with that cell's attribute and no delimiter.
// A delimiter under the column gives an empty field (end = start - 1) after it.
struct Field {
  int start, end;
};
Field FieldAt(int column, int row);

// The column after the last non-blank cell of the row (1 for a blank row).
int EndOfRow(int row);

// The 80 characters of a row.
std::string RowText(int row);

// Searches rows `row` to the last for `needle` (exact case); on `row` itself only what
// lies after `column`. True with the match's first cell.
bool FindText(std::string_view needle, int row, int column, int& foundRow, int& foundColumn);

// The whole screen as plain text: each row's 80 cells and a line end.
std::string ScreenText();

}  // namespace mg::review
