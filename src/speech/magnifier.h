// The line magnifier: the line being worked on, in large letters across the top of the
// console window, for low-vision users.
#pragma once

#include <string_view>

namespace mg {

void MagnifierSetColours(int letter, int background, int cursor);
// Zoom 0 switches the magnifier off; otherwise a font `zoom` times the console's cell.
void MagnifierMakeFont(int row, int zoom);
bool MagnifierOn();
// Draws `text` with the character left of `position` (from 1) marked.
void MagnifierDraw(std::string_view text, int position);
// Repaints the console from its buffer, which removes the magnified line.
void MagnifierRepaint();

}  // namespace mg
