// The line magnifier: the line being worked on, in large letters across the top of the
// console window, for low-vision users.
//
// The magnified line is painted by the console's overlay painter after the console's own
// text, so it stays on the window through every repaint while the editor or the review
// runs; MagnifierRepaint takes it away.
#pragma once

#include <string>
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

// The three pieces of one magnified line: `marked` is the character left of the
// position, in the cursor colour; `after` is padded with blanks to the end of the line.
struct MagnifierLine {
  std::string before, marked, after;
};
// Moves `windowStart` (from 1) so that `position` stays inside the 80 / zoom characters
// shown, and cuts the line.
MagnifierLine MagnifierLayout(std::string_view text, int position, int zoom, int& windowStart);

// Paints the current magnified line with an SDL_Renderer (the overlay painter's work).
void MagnifierPaint(void* sdlRenderer);

}  // namespace mg
