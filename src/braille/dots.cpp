#include "braille/dots.h"

#include <array>
#include <string>

#include "console/keydecode.h"

namespace mg {
namespace {

constexpr uint8_t D1 = 1, D2 = 2, D3 = 4, D4 = 8, D5 = 16, D6 = 32;

// Letters outside Portuguese that the cell alphabet lacks, shown as their base letter.
struct BaseLetter {
  uint8_t ch;
  char base;
};
constexpr BaseLetter kBaseLetters[] = {
    {0x83, 'f'}, {0x9A, 's'}, {0x9E, 'z'}, {0xE4, 'a'}, {0xE6, 'a'}, {0xEB, 'e'},
    {0xEC, 'i'}, {0xF0, 'd'}, {0xF1, 'n'}, {0xF2, 'o'}, {0xF6, 'o'}, {0xF8, 'o'},
    {0xF9, 'u'}, {0xFE, 't'}, {0x9C, 'o'}, {0xAA, 'a'}, {0xBA, 'o'}, {0xB5, 'm'}};

std::array<uint8_t, 256> BuildTable() {
  std::array<uint8_t, 256> t{};
  // Anything not named below: all eight dots, so that the reader sees a character is
  // there and can review it by speech.
  for (int c = 0; c < 256; ++c) t[c] = 0xFF;
  for (int c = 0; c < 32; ++c) t[c] = 0;
  t[0x7F] = 0;
  for (int c : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) t[c] = 0;  // unassigned in cp1252
  for (int dots = 63; dots >= 0; --dots) t[BrailleCellChar(dots)] = static_cast<uint8_t>(dots);
  t[' '] = 0;
  for (int i = 0; i < 26; ++i) t['A' + i] = t['a' + i];
  for (int i = 0; i < 10; ++i) t['0' + i] = t[i == 0 ? 'j' : 'a' + i - 1];
  t['.'] = D3;
  t['/'] = t[0xF7] = D2 | D5 | D6;
  t['+'] = D2 | D3 | D5;
  t['('] = D1 | D2 | D6;
  t[')'] = D3 | D4 | D5;
  t['['] = D1 | D2 | D3 | D5 | D6;
  t[']'] = D2 | D3 | D4 | D5 | D6;
  t['\\'] = t['`'] = D6;
  t['%'] = D1 | D4 | D6;
  t['&'] = D1 | D2 | D3 | D4 | D6;
  t['<'] = D2 | D4 | D6;
  t['>'] = D1 | D3 | D5;
  t['@'] = D1 | D5 | D6;
  t['|'] = D4 | D5 | D6;
  t[0xD7] = D2 | D3 | D6;  // ×
  t[0xB0] = D3 | D5 | D6;  // °
  t[0xE5] = D1 | D6;       // å
  t[0x80] = D4;            // €
  for (const BaseLetter& b : kBaseLetters) t[b.ch] = t[static_cast<uint8_t>(b.base)];
  // Capitals with accents as their small letters (À-Þ except ×), and Š Œ Ž Ÿ.
  for (int c = 0xC0; c <= 0xDE; ++c) {
    if (c != 0xD7) t[c] = t[c + 32];
  }
  t[0x8A] = t[0x9A];
  t[0x8C] = t[0x9C];
  t[0x8E] = t[0x9E];
  t[0x9F] = t[0xFF];
  return t;
}

const std::array<uint8_t, 256>& Table() {
  static const std::array<uint8_t, 256> table = BuildTable();
  return table;
}

}  // namespace

uint8_t DotsOf(uint8_t ch) { return Table()[ch]; }

std::vector<uint8_t> RowCells(BrailleTranslator& translator, const uint8_t* row80, int cells) {
  if (cells < 1) cells = 1;
  std::string braille =
      translator.Translate(std::string_view(reinterpret_cast<const char*>(row80), 80));
  while (static_cast<int>(braille.size()) <= cells) braille.append(10, ' ');
  std::vector<uint8_t> out(static_cast<size_t>(cells));
  for (int i = 0; i < cells; ++i)
    out[static_cast<size_t>(i)] = DotsOf(static_cast<uint8_t>(braille[static_cast<size_t>(i)]));
  return out;
}

}  // namespace mg
