// Screen review: reading whatever the console shows, by row, word, character or field,
// finding a text and copying the screen, without changing it. Entered from the line
// editor, left with Escape.
#pragma once

#include <string>

namespace mg {

void ScreenReview();

// The text of the last search; kept for the whole run so that Ctrl+F5 works across
// separate uses of the review.
std::string& ReviewSearchText();

}  // namespace mg
