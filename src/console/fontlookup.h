// Finding and sizing the console font: fontconfig looks the face up with monospace
// spacing, and SDL_ttf scales it so that one character fills one cell.
#pragma once

#include <SDL_ttf.h>

#include <string>
#include <vector>

namespace mg {

struct FontFile {
  std::string file;
  int index = 0;
  std::string family;  // UTF-8, as fontconfig names it
  bool bold = false;   // the face is at least semi-bold
};

// Fonts to try for the console, best first: the monospace face named `faceUtf8` at
// `weight` (1-1000), the system's monospace face, then every other font fontconfig
// knows that has Latin letters, those nearest to a Portuguese monospace face first.
// Empty when fontconfig knows no font at all.
std::vector<FontFile> ConsoleFontCandidates(const std::string& faceUtf8, int weight);

// Opens the font scaled to fit a cell of width x height pixels (the glyph advance
// at most `width`, the font height at most `height`). Null when it cannot be opened.
TTF_Font* OpenFittedFont(const FontFile& font, int width, int height, int weight);

// The first of the candidates that opens and can draw a letter, fitted to the cell;
// `used` names it. Null when none does: the console then draws with its built-in font.
TTF_Font* OpenConsoleFont(const std::string& faceUtf8, int weight, int width, int height,
                          FontFile& used);

}  // namespace mg
