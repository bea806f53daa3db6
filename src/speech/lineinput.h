// The spoken line editor behind every answer the user types.
#pragma once

#include <string>

namespace mg {

// Edits `text` in a one-line field at (column, row), both from 1, showing `width`
// characters and holding at most `maxLength`. Returns the code of the key that ended
// the input; trailing blanks are removed from `text`.
int EditLineSpoken(std::string& text, int column, int row, int width, int maxLength);

// Runs the editor at the console cursor (maximum 255); Escape blanks the field and
// empties `text`; the console line is ended in every case.
void ReadLineSpoken(std::string& text);

// Runs the editor on an empty text; a non-empty answer is converted as a decimal
// integer into `value`, an empty one leaves it unchanged; ends the console line.
void ReadIntegerSpoken(int& value);

}  // namespace mg
