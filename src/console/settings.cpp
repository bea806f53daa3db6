#include "console/settings.h"

#include <algorithm>
#include <charconv>

namespace mg {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A whole decimal number (digits only after trimming); false for anything else.
bool WholeNumber(std::string_view text, long& value) {
  text = Trim(text);
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  value = 0;
  for (char c : text) {
    value = std::min(value * 10 + (c - '0'), 1000000L);
  }
  return true;
}

int NumberOr(std::string_view text, int fallback) {
  long v;
  return WholeNumber(text, v) ? static_cast<int>(v) : fallback;
}

bool Yes(std::string_view text) { return !text.empty() && (text[0] == 'S' || text[0] == 's'); }

}  // namespace

Palette ParsePalette(std::string_view text) {
  Palette palette = DisplaySettings{}.palette;
  std::string rest(text);
  rest += ',';
  for (int i = 0; i < 16; ++i) {
    const size_t comma = rest.find(',');
    if (comma == std::string::npos) break;
    long value;
    if (!WholeNumber(std::string_view(rest).substr(0, comma), value)) break;
    palette[i] = static_cast<uint8_t>(std::min(value, 255L));
    rest.erase(0, comma + 1);
  }
  return palette;
}

DisplaySettings ParseDisplaySettings(const ProfileLookup& lookup, std::string_view section) {
  DisplaySettings s;
  s.palette = ParsePalette(lookup(section, "TABCORES", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15"));
  s.fixedColours = Yes(lookup(section, "CORESFIXAS", "N"));
  s.slowScroll = Yes(lookup(section, "LENTO", "N"));
  // Colour numbers keep their four low bits so that neither spills into the other.
  const int background = NumberOr(lookup(section, "CORFUNDO", "0"), 0) & 15;
  const int foreground = NumberOr(lookup(section, "CORLETRA", "15"), 15) & 15;
  s.startAttribute = static_cast<uint8_t>(background << 4 | foreground);
  const std::string mode = lookup("BRAILLE", "MODO", "0");
  if (!mode.empty()) {
    const int m = static_cast<uint8_t>(mode[0]) & 3;
    s.brailleMode = m == 3 ? 1 : m;
  }
  const std::string face = lookup(section, "FONTE", "Lucida Console");
  s.face = Trim(face).empty() ? "Lucida Console" : face;
  s.cellWidth = NumberOr(lookup(section, "LARGURALETRA", ""), 0);
  s.cellHeight = NumberOr(lookup(section, "ALTURALETRA", ""), 0);
  s.weight = std::clamp(NumberOr(lookup(section, "PESOLETRA", "700"), 700), 1, 1000);
  s.normalWindow = Yes(lookup(section, "CANTOTELA", "SIM"));
  return s;
}

int CellWidthFromWorkArea(int workAreaWidth) {
  return static_cast<int>(static_cast<long long>(std::max(workAreaWidth, 0)) * 13 / 1024);
}

int CellHeightFromWorkArea(int workAreaHeight) {
  return static_cast<int>(static_cast<long long>(std::max(workAreaHeight, 0)) * 28 / 734);
}

int ClampCellWidth(int width) { return std::clamp(width, 3, 200); }
int ClampCellHeight(int height) { return std::clamp(height, 6, 400); }

Rgb PaletteValueColour(int value) {
  static constexpr Rgb kColours[16] = {
      {0, 0, 0},       {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
      {255, 0, 0},     {142, 0, 142},   {68, 34, 34},    {192, 192, 192},
      {40, 40, 40},    {128, 128, 255}, {128, 255, 128}, {128, 255, 255},
      {255, 128, 128}, {255, 128, 255}, {255, 255, 0},   {255, 255, 255}};
  if (value < 0 || value > 15) return {0, 0, 0};
  return kColours[value];
}

}  // namespace mg
