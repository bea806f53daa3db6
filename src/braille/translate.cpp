#include "braille/translate.h"

#include <cstdint>

namespace mg {
namespace {

constexpr uint8_t kGrave = 0x60;

bool IsSmall(uint8_t c) { return (c >= 'a' && c <= 'z') || c >= 0xE0; }
bool IsCapital(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF); }
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
uint8_t Lower(uint8_t c) { return IsCapital(c) ? static_cast<uint8_t>(c + 32) : c; }

// Digits 1-9, 0 written high in the cell (the letters a-j) and low (, ; : / ? ! = " * }).
char UpperDigit(uint8_t d) { return d == '0' ? 'j' : static_cast<char>('a' + (d - '1')); }
char LowerDigit(uint8_t d) {
  static constexpr char kLow[10] = {'}', ',', ';', ':', '/', '?', '!', '=', '"', '*'};
  return kLow[d - '0'];
}

// Walks one text; `paren` is the translator's parenthesis flag.
class Walk {
 public:
  Walk(std::string_view text, bool& paren) : text_(text), paren_(paren) {}

  std::string Run() {
    while (i_ < text_.size()) Step();
    return std::move(out_);
  }

 private:
  uint8_t At(size_t k) const { return k < text_.size() ? static_cast<uint8_t>(text_[k]) : 0; }
  bool Has(size_t k) const { return k < text_.size(); }

  void Step() {
    const uint8_t c = At(i_);
    const bool hasNext = Has(i_ + 1);
    const uint8_t next = At(i_ + 1);
    if (IsSmall(c)) {
      out_ += static_cast<char>(c);
      for (++i_; Has(i_) && (IsSmall(At(i_)) || At(i_) == '-'); ++i_) out_ += text_[i_];
    } else if (IsCapital(c) && c != 0xD7 && c != 0xDF) {
      Capitals(hasNext && IsCapital(next));
    } else if (IsDigit(c)) {
      Number();
    } else if ((c == '(' || c == '[') && hasNext && IsDigit(next)) {
      MathBracket(c);
    } else if (!paren_ && (c == ')' || c == ']') && i_ > 0 && IsDigit(At(i_ - 1))) {
      out_ += c == ')' ? '\xe3' : '\xfa';
      paren_ = false;
      ++i_;
    } else if (c == kGrave && hasNext && IsDigit(next)) {
      ++i_;
      Fraction();
    } else if (c == kGrave && hasNext && MathSign(next)) {
      i_ += 2;
    } else if (c == '.') {
      out_ += '.';
      ++i_;
    } else if (c == '"' || c == 0x93 || c == 0x94) {
      out_ += '"';
      ++i_;
    } else {
      Punctuation(c);
      ++i_;
    }
  }

  // A capital alone gets the capital sign; a run of two or more gets the double sign,
  // and "~" when small letters follow the run directly (as in "CDs").
  void Capitals(bool run) {
    if (!run) {
      out_ += '{';
      out_ += static_cast<char>(Lower(At(i_++)));
      return;
    }
    out_ += "{{";
    while (Has(i_) && IsCapital(At(i_))) out_ += static_cast<char>(Lower(At(i_++)));
    if (Has(i_) && IsSmall(At(i_))) out_ += '~';
  }

  void Number() {
    out_ += '#';
    if (Ordinal()) return;
    while (Has(i_)) {
      const uint8_t c = At(i_);
      if (IsDigit(c)) {
        out_ += UpperDigit(c);
      } else if (c == '$' || c == ',') {
        out_ += static_cast<char>(c);
      } else if (c == '.') {
        out_ += '.';
        if (IsDecimalPoint(i_)) out_ += '#';
      } else if (c >= 'a' && c <= 'j') {
        out_ += '~';  // a letter that would read as a digit; rule 1 writes it next
        return;
      } else {
        return;
      }
      ++i_;
    }
  }

  // A point between digits with fewer than three digits on either side is a decimal
  // point; a thousands point has three after it.
  bool IsDecimalPoint(size_t at) const {
    if (at == 0 || !IsDigit(At(at - 1)) || !IsDigit(At(at + 1))) return false;
    int before = 0, after = 0;
    for (size_t k = at; k > 0 && IsDigit(At(k - 1)); --k) ++before;
    for (size_t k = at + 1; Has(k) && IsDigit(At(k)); ++k) ++after;
    return before < 3 && after < 3;
  }

  // 1º, 2ª, 3o., 4a., 5os., 6as.: the digits low, then the suffix.
  bool Ordinal() {
    size_t end = i_;
    while (Has(end) && IsDigit(At(end))) ++end;
    if (!Has(end)) return false;
    const uint8_t c = At(end);
    char suffix[3] = {0, 0, 0};
    size_t after = end;
    if (c == 0xAA || c == 0xBA) {
      suffix[0] = c == 0xAA ? 'a' : 'o';
      after = end + 1;
    } else if ((c == 'a' || c == 'o') && Has(end + 1) && At(end + 1) == '.') {
      suffix[0] = static_cast<char>(c);
      after = end + 2;
    } else if ((c == 'a' || c == 'o') && Has(end + 2) && At(end + 1) == 's' && At(end + 2) == '.') {
      suffix[0] = static_cast<char>(c);
      suffix[1] = 's';
      after = end + 3;
    } else {
      return false;
    }
    for (size_t k = i_; k < end; ++k) out_ += LowerDigit(At(k));
    out_ += suffix;
    i_ = after;
    return true;
  }

  // "(" or "[" before a digit: a mathematical bracket when its closing partner comes
  // later with a digit right before it; otherwise an ordinary one.
  void MathBracket(uint8_t c) {
    const char close = c == '(' ? ')' : ']';
    const size_t k = text_.find(close, i_ + 1);
    if (k != std::string_view::npos && k > i_ + 1 && IsDigit(At(k - 1))) {
      out_ += c == '(' ? '\xea' : '\xe1';
      paren_ = false;
    } else {
      paren_ = true;
      Punctuation(c);
    }
    ++i_;
  }

  // After the grave accent: the number sign, the numerator low, and the denominator's
  // digits as they are (the dot table shows them high).
  void Fraction() {
    out_ += '#';
    while (Has(i_) && IsDigit(At(i_))) out_ += LowerDigit(At(i_++));
    if (At(i_) != '/' || !Has(i_)) return;
    ++i_;
    while (Has(i_) && IsDigit(At(i_))) out_ += static_cast<char>(At(i_++));
  }

  // Signs written with a grave accent before them; false when `c` is none of them.
  bool MathSign(uint8_t c) {
    switch (c) {
      case '"':
        out_ += "\xfc\xfc";
        break;
      case '%':
        out_ += "_}}";
        break;
      case '\'':
        out_ += '\xfc';
        break;
      case '(':
        out_ += '\xea';
        break;
      case ')':
        out_ += '\xe3';
        break;
      case '*':
      case 'X':
      case 'x':
        out_ += '\xd7';
        break;
      case '+':
        out_ += '+';
        break;
      case '-':
        out_ += '-';
        break;
      case '.':
        out_ += '.';
        break;
      case '/':
      case ':':
        out_ += '\xf7';
        break;
      case '=':
        out_ += '=';
        break;
      case 'E':
      case 'e':
        out_ +=
            "\x80"
            "e";
        break;
      case 'O':
      case 'o':
        out_ += '\xb0';
        break;
      case '[':
        out_ += '\xe1';
        break;
      case ']':
        out_ += '\xfa';
        break;
      case '^':
        out_ += '\xe5';
        break;
      case '_':
      case 0xF7:
        out_ += "~\xf7";
        break;
      case '{':
        out_ += "~l";
        break;
      case '}':
        out_ += "_,";
        break;
      case kGrave:
        break;
      default:
        return false;
    }
    return true;
  }

  void Punctuation(uint8_t c) {
    switch (c) {
      case '%':
        out_ += "_}";
        break;
      case '(':
        out_ += "(.";
        paren_ = true;
        break;
      case ')':
        out_ += "\\)";
        paren_ = false;
        break;
      case '/':
        out_ += "\\,";
        break;
      case '[':
        out_ += "[.";
        break;
      case '\\':
        out_ += "~.";
        break;
      case ']':
        out_ += "\\]";
        break;
      case 0x80:
        out_ +=
            "\x80"
            "e";
        break;
      case 0x85:
        out_ += "...";
        break;
      case 0x89:
        out_ += "_}}";
        break;
      case 0x91:
      case 0x92:
        out_ += "$\"";
        break;
      case 0x95:
        out_ += "\xf5o";
        break;
      case 0x96:
      case 0x97:
      case 0xAD:
        out_ += "--";
        break;
      case 0x9C:
        out_ += "oe";
        break;
      case 0xA7:
        out_ += "ss";
        break;
      case 0xAB:
      case 0xBB:
        out_ += "\\\"";
        break;
      case 0xB2:
        out_ += "\xe5#b";
        break;
      case 0xB3:
        out_ += "\xe5#c";
        break;
      case 0xB9:
        out_ += "\xe5#a";
        break;
      case 0xBC:
        out_ += "#,d";
        break;
      case 0xBD:
        out_ += "#,b";
        break;
      case 0xBE:
        out_ += "#:d";
        break;
      case 0xDF:
        out_ +=
            "\xac"
            "b";
        break;
      case 0xE6:
        out_ += "ae";
        break;
      default:
        out_ += static_cast<char>(c);
        break;  // # * ? _ and the rest: themselves
    }
  }

  std::string_view text_;
  bool& paren_;
  size_t i_ = 0;
  std::string out_;
};

}  // namespace

std::string BrailleTranslator::Translate(std::string_view text) {
  return Walk(text, inParenthesis_).Run();
}

}  // namespace mg
