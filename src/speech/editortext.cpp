#include "speech/editortext.h"

#include <algorithm>

namespace mg::edit {
namespace {

int Size(std::string_view text) { return static_cast<int>(text.size()); }

// Character at position p (from 1); a blank outside the text.
uint8_t At(std::string_view text, int p) {
  if (p < 1 || p > Size(text)) return ' ';
  return static_cast<uint8_t>(text[static_cast<size_t>(p - 1)]);
}

uint8_t Upper(uint8_t c) { return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c; }

// B C D F G H J K L M N P Q R S T V X Z: W and Y are not consonants for F1.
bool IsEditorConsonant(uint8_t c) {
  c = Upper(c);
  if (c < 'A' || c > 'Z') return false;
  switch (c) {
    case 'A':
    case 'E':
    case 'I':
    case 'O':
    case 'U':
    case 'W':
    case 'Y':
      return false;
    default:
      return true;
  }
}

// Characters stripped from both ends of a word before it is opened as a link.
bool IsLinkTrim(uint8_t c) {
  switch (c) {
    case '"':
    case '(':
    case '*':
    case '-':
    case '.':
    case '<':
    case '=':
    case '>':
    case '[':
    case '_':
    case '{':
      return true;
    default:
      return false;
  }
}

}  // namespace

bool IsWordLetter(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 128;
}

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

int LastNonBlank(std::string_view text) {
  for (int p = Size(text); p >= 1; --p) {
    if (At(text, p) != ' ') return p;
  }
  return 0;
}

WordMove PreviousWord(std::string_view text, int cursor) {
  int p = std::min(cursor, Size(text) + 1) - 1;
  while (p >= 1 && At(text, p) == ' ') --p;
  if (p < 1) return {1, true};
  const bool digits = IsDigit(At(text, p));
  while (p > 1 && (digits ? IsDigit(At(text, p - 1)) : IsWordLetter(At(text, p - 1)))) --p;
  return {p, false};
}

WordMove NextWord(std::string_view text, int cursor) {
  const int n = Size(text);
  int p = std::max(cursor, 1);
  if (p <= n && At(text, p) != ' ') {
    const bool digits = IsDigit(At(text, p));
    ++p;
    while (p <= n && (digits ? IsDigit(At(text, p)) : IsWordLetter(At(text, p)))) ++p;
  }
  while (p <= n && At(text, p) == ' ') ++p;
  if (p > n) return {LastNonBlank(text) + 1, true};
  return {p, false};
}

NextRead ReadNextWord(std::string_view text, int cursor) {
  const int n = Size(text);
  int p = std::max(cursor, 1);
  while (p <= n && At(text, p) == ' ') ++p;
  if (p > n) return {Say::Nothing, {}, cursor};
  const uint8_t c = Upper(At(text, p));
  int q = p + 1;
  if (IsDigit(c) || c == '-') {
    while (q <= n && IsDigit(At(text, q))) ++q;
    return {Say::Speak, std::string(text.substr(p - 1, q - p)), q};
  }
  if ((c >= 'A' && c <= 'Z') || c >= 128) {
    while (q <= n && IsWordLetter(At(text, q))) ++q;
    std::string word(text.substr(p - 1, q - p));
    const bool consonants = std::all_of(word.begin(), word.end(), [](char ch) {
      return IsEditorConsonant(static_cast<uint8_t>(ch));
    });
    return {consonants ? Say::Spell : Say::Speak, std::move(word), q};
  }
  return {Say::Spell, std::string(1, static_cast<char>(At(text, p))), p + 1};
}

std::string WordForLink(std::string_view text, int cursor) {
  const int n = Size(text);
  int start = std::clamp(cursor, 1, n + 1);
  int end = start;
  while (start > 1 && At(text, start - 1) != ' ') --start;
  while (end <= n && At(text, end) != ' ') ++end;
  while (start < end && IsLinkTrim(At(text, start))) ++start;
  while (end > start && IsLinkTrim(At(text, end - 1))) --end;
  if (start >= end) return {};
  return std::string(text.substr(start - 1, end - start));
}

void InsertAt(std::string& text, int p, uint8_t c) {
  if (p < 1 || p > Size(text)) return;
  text.insert(text.begin() + (p - 1), static_cast<char>(c));
  text.pop_back();
}

uint8_t RemoveAt(std::string& text, int p) {
  if (p < 1 || p > Size(text)) return ' ';
  const uint8_t removed = At(text, p);
  text.erase(text.begin() + (p - 1));
  text.push_back(' ');
  return removed;
}

std::string CleanPaste(std::string_view clipboard, size_t maxLength) {
  std::string out(clipboard.substr(0, std::min(maxLength, clipboard.size())));
  const size_t lineEnd = out.find_first_of("\r\n");
  if (lineEnd != std::string::npos) out.resize(lineEnd);
  for (char& c : out) {
    if (static_cast<uint8_t>(c) < 32) c = ' ';
  }
  return out;
}

void ReplaceRange(std::string& text, int from, int to, std::string_view pasted) {
  const size_t n = text.size();
  const int lo = std::clamp(from, 1, Size(text) + 1);
  const int hi = std::clamp(to, lo, Size(text) + 1);
  const size_t a = static_cast<size_t>(lo - 1);
  const size_t b = static_cast<size_t>(hi - 1);
  std::string result = text.substr(0, a);
  result.append(pasted);
  result.append(text, b, std::string::npos);
  result.resize(n, ' ');
  text = std::move(result);
}

}  // namespace mg::edit
