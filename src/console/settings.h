// The console's display settings (section VIDEO, and MODO of section BRAILLE) and the
// colour palette. Parsing works over any lookup, so it runs without a window or file.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "console/console.h"

namespace mg {

using Palette = std::array<uint8_t, 16>;

struct DisplaySettings {
  Palette palette = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  bool fixedColours = false;  // CORESFIXAS
  bool slowScroll = false;    // LENTO
  uint8_t startAttribute = 0x0F;
  int brailleMode = 0;
  std::string face = "Lucida Console";
  int cellWidth = 0;   // 0: from the work area
  int cellHeight = 0;  // 0: from the work area
  int weight = 700;
  bool normalWindow = true;  // CANTOTELA; false: maximized
};

// (section, key, default) -> value, as ReadProfileString gives it.
using ProfileLookup = std::function<std::string(std::string_view section, std::string_view key,
                                                std::string_view defaultValue)>;

DisplaySettings ParseDisplaySettings(const ProfileLookup& lookup,
                                     std::string_view section = "VIDEO");

// TABCORES: comma-separated entries 0-15 in order; parsing stops at the first entry
// that is not a whole number, which keeps its own colour. Values above 255 are kept as
// 255 (shown black, like every value above 15).
Palette ParsePalette(std::string_view text);

// Cell size for empty LARGURALETRA/ALTURALETRA: width / 1024 * 13, height / 734 * 28.
int CellWidthFromWorkArea(int workAreaWidth);
int CellHeightFromWorkArea(int workAreaHeight);
// Cell sizes the window can hold: a width of 3-200 and a height of 6-400 pixels.
int ClampCellWidth(int width);
int ClampCellHeight(int height);

// The screen colour of a palette value (0-15; anything else is black).
Rgb PaletteValueColour(int value);

// Reads the settings from the suite's Sonela.ini (IniDirectory() + "\Sonela.ini").
DisplaySettings LoadDisplaySettings();

}  // namespace mg
