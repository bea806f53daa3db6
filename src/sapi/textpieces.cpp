#include "sapi/textpieces.h"

#include "common/cp1252.h"

namespace mg::sapi {
namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool SentenceEnd(std::string_view text, size_t i) {
  if (text[i] == '\n') return true;
  return (text[i] == '.' || text[i] == '!' || text[i] == '?') && i + 1 < text.size() &&
         Blank(text[i + 1]);
}

}  // namespace

std::vector<std::string_view> SplitText(std::string_view text, size_t limit) {
  std::vector<std::string_view> pieces;
  if (limit == 0) limit = 1;
  while (text.size() > limit) {
    size_t cut = 0;
    for (size_t i = limit; i-- > 0 && cut == 0;) {
      if (SentenceEnd(text, i)) cut = i + 1;
    }
    for (size_t i = limit; i-- > 0 && cut == 0;) {
      if (Blank(text[i])) cut = i + 1;
    }
    if (cut == 0) cut = limit;
    pieces.push_back(text.substr(0, cut));
    text.remove_prefix(cut);
  }
  if (!text.empty()) pieces.push_back(text);
  return pieces;
}

std::string SpeakableUtf8(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size() + cp1252.size() / 4);
  for (const char c : cp1252) {
    const char32_t cp = Cp1252ToCodePoint(static_cast<uint8_t>(c));
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {
      out += ' ';
    } else {
      AppendUtf8(out, cp);
    }
  }
  return out;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace mg::sapi
