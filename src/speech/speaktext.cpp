#include <string>

#include "console/console.h"
#include "legacy/sninter.h"
#include "legacy/sntradut.h"
#include "speech/legacy_path.h"
#include "speech/numbers.h"
#include "speech/speech.h"

namespace mg {
namespace {

constexpr size_t kMaxWordRun = 999;  // the translator's input limit
constexpr size_t kMaxNumberDigits = 6;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || static_cast<uint8_t>(c) >= 128;
}
// What goes to the translator: letters, blanks and every character from 128 on.
bool IsWordChar(char c) { return IsLetter(c) || c == ' '; }

bool IsWww(std::string_view s) {
  if (s.size() != 3) return false;
  for (char c : s) {
    if (c != 'w' && c != 'W') return false;
  }
  return true;
}

}  // namespace

void SpeakTextLegacyPath(std::string_view text) {
  SpeechState& st = Speech();
  std::string t(text);
  t += ' ';
  const size_t n = t.size();
  size_t p = 0;  // T is t[p..]
  st.stop = false;
  char previous = ' ';
  int repeats = 0;
  while (!st.stop && p < n) {
    if (KeyWaiting()) {
      StopSpeech();
      break;
    }
    while (p < n && t[p] == '0') {
      PlayRecorded("_zero");
      ++p;
    }
    if (p >= n) break;
    const char c = t[p];
    if (c >= '1' && c <= '9') {
      size_t q = p;
      while (q < n && (IsDigit(t[q]) || t[q] == '-')) ++q;
      const std::string run = t.substr(p, q - p);
      if (run.find('-') != std::string::npos || run.size() > kMaxNumberDigits) {
        SpellText(run);
      } else {
        SpeakNumberWords(NumberToWords(std::stoull(run)), false);
      }
      p = q;
      continue;
    }
    if (IsWordChar(c)) {
      size_t q = p;
      while (q < n && IsWordChar(t[q])) ++q;
      const std::string_view run = std::string_view(t).substr(p, q - p);
      if (IsWww(run)) {
        SpellText(run);
      } else {
        FalaFonemas(TraduzTexto(run.substr(0, kMaxWordRun)));
      }
      p = q;
      // A hyphen joining two words is not spoken.
      if (p + 1 < n && t[p] == '-' && IsLetter(t[p + 1])) ++p;
      continue;
    }
    const std::string_view rest = std::string_view(t).substr(p);
    bool asBlank = false;
    if (c == previous) {
      if (++repeats > 3) {
        SoundClick();  // a long run of one symbol clicks instead of repeating it
        asBlank = true;
      }
    } else {
      previous = c;
      repeats = 0;
    }
    if (c == '-') {
      const char second = rest.size() < 3 ? ' ' : rest[1];
      if (second == ' ' || second == '-') {
        SpeakPunctuation(rest);
      } else if (IsDigit(second)) {
        PlayRecorded("_MENOS");
      } else {
        SpeakChar('-');
      }
    } else if (rest.substr(0, 3) == "://") {
      SpellText(":");
    } else {
      const char k = asBlank ? ' ' : c;
      switch (k) {
        case '(':
        case ')':
        case ',':
        case '.':
        case ':':
        case ';':
          SpeakPunctuation(rest);
          break;
        case '\t':
          PlayRecorded("_FON9");
          break;
        case '\n':
        case '\r':
        case ' ':
          break;
        default:
          if (!KeyWaiting()) SpeakChar(static_cast<uint8_t>(k));
          break;
      }
    }
    ++p;
  }
}

}  // namespace mg
