// Finding and sizing the console font: fontconfig looks the face up with monospace
// spacing, and SDL_ttf scales it so that one character fills one cell.
#pragma once

#include <SDL_ttf.h>

#include <string>

namespace mg {

struct FontFile {
  std::string file;
  int index = 0;
  std::string family;  // UTF-8, as fontconfig names it
  bool bold = false;   // the face is at least semi-bold
};

// The monospace face named `faceUtf8` at `weight` (1-1000), else the system's
// monospace face. False when fontconfig finds no font at all.
bool FindMonospaceFont(const std::string& faceUtf8, int weight, FontFile& found);

// Opens the font scaled to fit a cell of width x height pixels (the glyph advance
// at most `width`, the font height at most `height`). Null when it cannot be opened.
TTF_Font* OpenFittedFont(const FontFile& font, int width, int height, int weight);

}  // namespace mg
