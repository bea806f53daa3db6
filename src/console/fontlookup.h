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

// Opens the font scaled to fit a cell of width x height pixels (the glyph advance
// at most `width`, the font height at most `height`). Null when it cannot be opened.
TTF_Font* OpenFittedFont(const FontFile& font, int width, int height, int weight);

// The console font fitted to the cell, the first that opens and can draw a letter of:
// the monospace face named `faceUtf8` at `weight` (1-1000), the system's monospace face,
// then every other font fontconfig knows that has Latin letters, those nearest to a
// Portuguese monospace face first. `used` names it. Null when none does (no font at all):
// the console then draws with its built-in font.
TTF_Font* OpenConsoleFont(const std::string& faceUtf8, int weight, int width, int height,
                          FontFile& used);

}  // namespace mg
