// Uncontracted Portuguese literary braille: text of one screen row (cp1252) into braille
// characters, one character per cell, in the 64-cell alphabet of the braille keyboard
// (BrailleCellChar) plus a few characters of their own that dots.h turns into patterns
// (digits copied by fractions, "/", "(", ")", "[", "]", backslash, "€", "å", "×", "÷",
// "°"). Plain code over plain data: no window, no display.
#pragma once

#include <string>
#include <string_view>

namespace mg {

class BrailleTranslator {
 public:
  // Translates `text` and returns the braille text. Runs on the main thread.
  std::string Translate(std::string_view text);

  // Whether the text so far stands inside an ordinary parenthesis. Set by "(" and
  // cleared by ")", it carries over from one call to the next (it starts false).
  bool in_parenthesis() const { return inParenthesis_; }

 private:
  bool inParenthesis_ = false;
};

}  // namespace mg
