// Braille translation, dot patterns and the display's keys: plain code, no display.
#include "braille/translate.h"

#include <brlapi_constants.h>
#include <brlapi_keycodes.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "braille/dots.h"
#include "braille/keys.h"

namespace mg {
namespace {

std::string Tr(const std::string& text) {
  BrailleTranslator t;
  return t.Translate(text);
}

TEST(BrailleTranslation, CapitalSigns) {
  EXPECT_EQ(Tr("Casa"), "{casa");
  EXPECT_EQ(Tr("CASA"), "{{casa");
  EXPECT_EQ(Tr("CDs"), "{{cd~s");
  EXPECT_EQ(Tr("A casa"), "{a casa");
  // Accented capitals take their small letters; a run keeps them small after "{{".
  EXPECT_EQ(Tr("\xc9GUA \xc1gua"), "{{\xe9gua {\xe1gua");
  // × and ß are no capitals of letters: × stands for itself, ß is written "¬b".
  EXPECT_EQ(Tr("\xd7"), "\xd7");
  EXPECT_EQ(Tr("\xdf"),
            "\xac"
            "b");
}

TEST(BrailleTranslation, NumbersDecimalAndThousandsPoints) {
  EXPECT_EQ(Tr("12"), "#ab");
  EXPECT_EQ(Tr("3,5"), "#c,e");
  EXPECT_EQ(Tr("1.000"), "#a.jjj");
  EXPECT_EQ(Tr("2.5"), "#b.#e");
  EXPECT_EQ(Tr("123.45"), "#abc.de");  // three digits before: no new number sign
  EXPECT_EQ(Tr("5a"), "#e~a");         // a letter a-j after digits
  EXPECT_EQ(Tr("5k"), "#ek");          // other letters need no mark
  EXPECT_EQ(Tr("7."), "#g.");
}

TEST(BrailleTranslation, Ordinals) {
  EXPECT_EQ(Tr("1\xba"), "#,o");
  EXPECT_EQ(Tr("3\xaa"), "#:a");
  EXPECT_EQ(Tr("2a."), "#;a");
  EXPECT_EQ(Tr("10os. e 2as."), "#,}os e #;as");
  EXPECT_EQ(Tr("2a"), "#b~a");  // no full stop: no ordinal
}

TEST(BrailleTranslation, FractionsAndMathematicalSigns) {
  EXPECT_EQ(Tr("`3/4"), "#:4");
  EXPECT_EQ(Tr("`12"), "#,;");
  EXPECT_EQ(Tr("`*`x`X"), "\xd7\xd7\xd7");
  EXPECT_EQ(Tr("`/`:`=`+`-"), "\xf7\xf7=+-");
  EXPECT_EQ(Tr("`E`o`^"),
            "\x80"
            "e\xb0\xe5");
  EXPECT_EQ(Tr("`{`}`_`%`\"`'"), "~l_,~\xf7_}}\xfc\xfc\xfc");
  EXPECT_EQ(Tr("``"), "");
  EXPECT_EQ(Tr("`a"), "`a");  // not a sign: the accent stands for itself
}

TEST(BrailleTranslation, BracketsAndTheParenthesisFlag) {
  EXPECT_EQ(Tr("(3+4)"), "\xea#c+#d\xe3");
  EXPECT_EQ(Tr("[2]"), "\xe1#b\xfa");
  EXPECT_EQ(Tr("(texto)"), "(.texto\\)");
  // "(" before a digit whose ")" does not follow a digit is an ordinary parenthesis.
  EXPECT_EQ(Tr("(1 item)"), "(.#a item\\)");
  EXPECT_EQ(Tr("[nota]"), "[.nota\\]");

  // The flag carries over from one call to the next.
  BrailleTranslator t;
  EXPECT_EQ(t.Translate("(veja a linha"), "(.veja a linha");
  EXPECT_TRUE(t.in_parenthesis());
  EXPECT_EQ(t.Translate("4)"), "#d\\)");  // inside a parenthesis: no closing bracket
  EXPECT_FALSE(t.in_parenthesis());
  EXPECT_EQ(t.Translate("4)"), "#d\xe3");
}

TEST(BrailleTranslation, PunctuationTable) {
  EXPECT_EQ(Tr("a/b"), "a\\,b");
  EXPECT_EQ(Tr("50%"), "#ej_}");
  EXPECT_EQ(Tr("\\ # * ? _"), "~. # * ? _");
  EXPECT_EQ(Tr("\x93oi\x94 \"oi\""), "\"oi\" \"oi\"");
  EXPECT_EQ(Tr("\x91oi\x92"), "$\"oi$\"");
  EXPECT_EQ(Tr("\xabsim\xbb"), "\\\"sim\\\"");
  EXPECT_EQ(Tr("\x85 \x95 \x96 \x97 \xad"), "... \xf5o -- -- --");
  EXPECT_EQ(Tr("\x80 \x89 \xa7 \x9c"),
            "\x80"
            "e _}} ss oe");
  EXPECT_EQ(Tr("\xb2\xb3\xb9"), "\xe5#b\xe5#c\xe5#a");
  EXPECT_EQ(Tr("\xbc\xbd\xbe"), "#,d#,b#:d");
  EXPECT_EQ(Tr("a-b -c"), "a-b -c");
}

// A row as the program shows it: accented words, a date, a sum of money and an address.
TEST(BrailleTranslation, MixedRow) {
  EXPECT_EQ(Tr("Ol\xe1, Jo\xe3o! Hoje \xe9 25/12/2024; paguei R$ 1.250,50 em "
               "www.sonela.com.br/ajuda."),
            "{ol\xe1, {jo\xe3o! {hoje \xe9 #be\\,#ab\\,#bjbd; paguei {r$ #a.bej,ej em "
            "www.sonela.com.br\\,ajuda.");
}

TEST(BrailleDots, CellsDigitsSignsAndAccentedLetters) {
  // Portuguese letters with diacritics (Grafia Braille para a Língua Portuguesa).
  const struct {
    uint8_t ch;
    uint8_t dots;
  } cases[] = {
      {'a', 0x01},  {'z', 0x35},  {0xE1, 0x37}, {0xE0, 0x2B}, {0xE2, 0x21}, {0xE3, 0x1C},
      {0xE9, 0x3F}, {0xEA, 0x23}, {0xED, 0x0C}, {0xF3, 0x2C}, {0xF4, 0x39}, {0xF5, 0x2A},
      {0xFA, 0x3E}, {0xE7, 0x2F}, {0xFC, 0x33}, {0xC1, 0x37}, {0xC7, 0x2F}, {0xC3, 0x1C},
      {'A', 0x01},  {'1', 0x01},  {'0', 0x1A},  {'.', 0x04},  {'/', 0x32},  {0xF7, 0x32},
      {'+', 0x16},  {'(', 0x23},  {')', 0x1C},  {'[', 0x37},  {']', 0x3E},  {'\\', 0x20},
      {'`', 0x20},  {'%', 0x29},  {'&', 0x2F},  {'<', 0x2A},  {'>', 0x15},  {'@', 0x31},
      {'|', 0x38},  {0xD7, 0x26}, {0xB0, 0x34}, {0xE5, 0x21}, {0x80, 0x08}, {'{', 0x28},
      {'#', 0x3C},  {' ', 0x00},  {7, 0x00},    {0xF1, 0x1D}, {0xD1, 0x1D},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DotsOf(c.ch), c.dots) << "character " << int(c.ch);
  }
}

TEST(BrailleDots, RowFillsDisplaysOfEverySize) {
  uint8_t row[80];
  std::fill(std::begin(row), std::end(row), ' ');
  const std::string text = "Casa 12";
  std::copy(text.begin(), text.end(), row);
  const std::vector<uint8_t> start = {0x28, 0x09, 0x01, 0x0E, 0x01, 0x00, 0x3C, 0x01, 0x03};
  for (int cells : {12, 14, 20, 32, 40, 80}) {
    BrailleTranslator t;
    const std::vector<uint8_t> out = RowCells(t, row, cells);
    ASSERT_EQ(out.size(), static_cast<size_t>(cells));
    EXPECT_TRUE(std::equal(start.begin(), start.end(), out.begin())) << cells;
    EXPECT_TRUE(std::all_of(out.begin() + 9, out.end(), [](uint8_t d) { return d == 0; }));
  }
  // A row whose braille is longer than the display shows its first cells.
  std::fill(std::begin(row), std::end(row), 'A');
  BrailleTranslator t;
  const std::vector<uint8_t> full = RowCells(t, row, 80);
  EXPECT_EQ(full[0], 0x28);
  EXPECT_EQ(full[1], 0x28);
  EXPECT_EQ(full[79], 0x01);
}

// Feeds the events of BrlAPI key codes to the key translator, as the console does.
std::vector<std::pair<int, int>> Keys(const std::vector<uint64_t>& codes) {
  DisplayKeys keys;
  std::vector<std::pair<int, int>> got;
  for (uint64_t code : codes) {
    for (const DisplayEvent& e : EventsOfBrlapiKey(code)) {
      uint8_t ch = 0, ext = 0;
      keys.Translate(e.type, e.value, ch, ext);
      if (ch != 0 || ext != 0) got.emplace_back(ch, ext);
    }
  }
  return got;
}

uint64_t Dots(uint64_t dots) { return BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_PASSDOTS | dots; }
uint64_t Command(uint64_t cmd) { return BRLAPI_KEY_TYPE_CMD | cmd; }
uint64_t Sym(uint64_t sym) { return BRLAPI_KEY_TYPE_SYM | sym; }

TEST(BrailleKeys, BrlapiKeysBecomeKeyCodes) {
  using P = std::pair<int, int>;
  EXPECT_EQ(Keys({Command(BRLAPI_KEY_CMD_LNUP), Command(BRLAPI_KEY_CMD_LNDN)}),
            (std::vector<P>{{0, 72}, {0, 80}}));
  EXPECT_EQ(Keys({Dots(BRLAPI_DOT1), Dots(BRLAPI_DOT1 | BRLAPI_DOT2), Dots(BRLAPI_DOT3)}),
            (std::vector<P>{{'a', 0}, {'b', 0}, {'.', 0}}));
  EXPECT_EQ(Keys({Dots(BRLAPI_DOT8), Dots(BRLAPI_DOT7), Dots(BRLAPI_DOT7 | BRLAPI_DOT8)}),
            (std::vector<P>{{13, 0}, {8, 0}, {27, 0}}));
  // Space alone, space with dots: a blank and control characters.
  EXPECT_EQ(Keys({Dots(0), Dots(BRLAPI_DOTC | BRLAPI_DOT1), Dots(BRLAPI_DOTC)}),
            (std::vector<P>{{' ', 0}, {1, 0}, {' ', 0}}));
  EXPECT_EQ(Keys({Command(BRLAPI_KEY_CMD_TOP), Command(BRLAPI_KEY_CMD_BOT_LEFT),
                  Sym(BRLAPI_KEY_SYM_HOME), Sym(BRLAPI_KEY_SYM_END)}),
            (std::vector<P>{{0, 71}, {0, 79}, {0, 71}, {0, 79}}));
  EXPECT_EQ(Keys({Sym(BRLAPI_KEY_SYM_LINEFEED), Sym(BRLAPI_KEY_SYM_BACKSPACE),
                  Sym(BRLAPI_KEY_SYM_ESCAPE), Sym(BRLAPI_KEY_SYM_UP), Sym(BRLAPI_KEY_SYM_DOWN)}),
            (std::vector<P>{{13, 0}, {8, 0}, {27, 0}, {0, 72}, {0, 80}}));
  // Dots with dot 7 or 8, routing keys and typed characters give nothing.
  EXPECT_TRUE(Keys({Dots(BRLAPI_DOT1 | BRLAPI_DOT7), BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_ROUTE | 3,
                    Sym('a')})
                  .empty());
}

TEST(BrailleKeys, TranslatorTable) {
  DisplayKeys keys;
  auto one = [&](intptr_t t, intptr_t v) {
    uint8_t ch = 0, ext = 0;
    keys.Translate(t, v, ch, ext);
    return std::pair<int, int>(ch, ext);
  };
  using P = std::pair<int, int>;
  EXPECT_EQ(one(3, 16), P(0, 72));
  EXPECT_EQ(one(3, 64), P(0, 72));
  EXPECT_EQ(one(3, 32), P(0, 80));
  EXPECT_EQ(one(3, 128), P(0, 80));
  EXPECT_EQ(one(3, 1), P(0, 0));
  EXPECT_EQ(one(1, 261), P(0, 72));
  EXPECT_EQ(one(1, 6405), P(0, 72));
  EXPECT_EQ(one(1, 2309), P(0, 80));
  EXPECT_EQ(one(1, 4357), P(0, 80));
  EXPECT_EQ(one(2, 5), P('?', 0));
  EXPECT_EQ(one(1, 3), P(0, 0));  // a release with nothing pressed
  // Presses add up until the release; the release clears them.
  EXPECT_EQ(one(1, 1 << 8), P(0, 0));
  EXPECT_EQ(one(1, 16 << 8), P(0, 0));
  EXPECT_EQ(one(1, 32 << 8), P(0, 0));
  EXPECT_EQ(one(1, 3), P('@', 0));  // dots 1-5-6
  EXPECT_EQ(keys.state(), 0u);
  EXPECT_EQ(one(1, (0x8000 | 0x0F) << 8), P(0, 0));
  EXPECT_EQ(one(1, 3), P('p' & 31, 0));
  EXPECT_EQ(one(1, (256 | 1) << 8), P(0, 0));
  EXPECT_EQ(one(1, 3), P(0, 71));
  EXPECT_EQ(one(1, 512 << 8), P(0, 0));
  EXPECT_EQ(one(1, 3), P(0, 79));
  EXPECT_EQ(one(1, (0x8000 | 64) << 8), P(0, 0));  // space with dot 7: nothing
  EXPECT_EQ(one(1, 3), P(0, 0));
}

}  // namespace
}  // namespace mg
