#include "speech/review.h"

#include <algorithm>

#include "console/console.h"
#include "speech/magnifier.h"
#include "speech/reviewscreen.h"
#include "speech/speech.h"

namespace mg {
namespace {

using review::CharAt;

constexpr int kLastColumn = kScreenCols;    // 80
constexpr int kPastRow = kScreenCols + 1;   // 81: the review may stand just past the row
constexpr size_t kMaxSearch = kScreenCols;  // a longer text can never match a row

struct Cursor {
  int row, col;
};

uint8_t Upper(uint8_t c) { return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c; }

void ErrorSignal() {
  SoundBeep();
  SoundClick();
  SoundBeep();
}

void DiscardKeys() {
  while (KeyWaiting()) ReadKey();
}

// Shows the row in the magnifier without its leading blanks.
void MagnifyRow(const Cursor& rv) {
  const std::string row = review::RowText(rv.row);
  size_t lead = row.find_first_not_of(' ');
  if (lead == std::string::npos) lead = row.size();
  const int position = rv.col <= static_cast<int>(lead) ? 1 : rv.col - static_cast<int>(lead);
  MagnifierDraw(std::string_view(row).substr(lead), position);
}

// Reads the word at the cursor and leaves the column after it. A run of one repeated
// character is said at most three times.
void ReadWord(Cursor& rv) {
  while (rv.col < kLastColumn && CharAt(rv.col, rv.row) == ' ') ++rv.col;
  if (rv.col > kLastColumn || CharAt(rv.col, rv.row) == ' ') return;
  auto take = [&rv](std::string& into) {
    SetCursor(rv.col, rv.row);
    into += static_cast<char>(CharAt(rv.col, rv.row));
    ++rv.col;
  };
  std::string word;
  take(word);
  while (rv.col <= kLastColumn && review::IsWordChar(CharAt(rv.col, rv.row))) take(word);
  if (word.size() == 1) {
    const char c = word[0];
    std::string run;
    while (rv.col <= kLastColumn && CharAt(rv.col, rv.row) == static_cast<uint8_t>(c)) take(run);
    word.append(run.substr(0, 2));
    SpeakText(word);
  } else if (std::all_of(word.begin(), word.end(),
                         [](char ch) { return review::IsConsonant(static_cast<uint8_t>(ch)); })) {
    SpellText(word);
  } else {
    SpeakText(word);
  }
}

void SkipBlanks(Cursor& rv, int last) {
  while (rv.col <= last && CharAt(rv.col, rv.row) == ' ') ++rv.col;
}

void GoEndOfRow(Cursor& rv) { rv.col = review::EndOfRow(rv.row); }

// Reads (r1, c1) to (r2, c2) row by row; a waiting key stops it.
void ReadRegion(Cursor& rv, int r1, int c1, int r2, int c2, bool restore) {
  if (r1 == r2 && c2 < c1) {
    SoundBeep();
    return;
  }
  const Cursor saved = rv;
  rv.col = c1;
  for (int r = r1; r <= r2; ++r) {
    rv.row = r;
    const int last = r == r2 ? c2 : kLastColumn;
    MagnifyRow(rv);
    // The magnified row follows the reading at once, not only at the next key wait.
    if (MagnifierOn()) PresentConsole();
    if (Speech().systemSynthActive) {
      std::string cells;
      for (int c = std::max(rv.col, 1); c <= std::min(last, kLastColumn); ++c) {
        cells += static_cast<char>(CharAt(c, r));
      }
      SpeakText(cells);
    } else {
      // Blanks are passed within the region only, so a gap at its start never reads
      // the word beyond its end.
      SkipBlanks(rv, last);
      while (rv.col <= last) {
        ReadWord(rv);
        SkipBlanks(rv, last);
        if (KeyWaiting()) break;
      }
    }
    if (KeyWaiting()) break;
    if (r < r2) {
      rv.col = 1;
      SoundClick();
    }
  }
  IsSpeaking();
  if (c2 >= kLastColumn) GoEndOfRow(rv);
  if (restore) rv = saved;
}

void ReadRow(Cursor& rv) { ReadRegion(rv, rv.row, 1, rv.row, kLastColumn, true); }

void PreviousWord(Cursor& rv) {
  int p = rv.col - 1;
  while (p >= 1 && CharAt(p, rv.row) == ' ') --p;
  if (p < 1) {
    SoundBeep();
    rv.col = 1;
    return;
  }
  while (p >= 1 && CharAt(p, rv.row) != ' ') --p;
  if (p >= 1) {
    SoundClick();
  } else {
    SoundBeep();
  }
  rv.col = p + 1;
}

void NextWord(Cursor& rv) {
  int p = std::max(rv.col, 1);
  while (p < kPastRow && CharAt(p, rv.row) != ' ') ++p;
  while (p < kPastRow && CharAt(p, rv.row) == ' ') ++p;
  if (p < kPastRow) {
    SoundClick();
    rv.col = p;
  } else {
    SoundBeep();
    GoEndOfRow(rv);
  }
}

void SearchAgain(Cursor& rv) {
  int row = 0, col = 0;
  if (review::FindText(ReviewSearchText(), rv.row, rv.col, row, col)) {
    rv = {row, col};
    SoundClick();
  } else {
    SoundBeep();
    SoundBeep();
  }
}

void Search(Cursor& rv) {
  SpeakText("Qual texto");
  std::string& text = ReviewSearchText();
  text.clear();
  for (;;) {
    const uint8_t k = ReadKey();
    StopSpeech();
    if (k == 0) {
      ReadKey();  // a function key is no text
      continue;
    }
    if (k == 27) return;
    if (k == 13) break;
    if (k == 8) {
      if (!text.empty()) {
        PlayRecorded("_DEL");
        SpeakChar(static_cast<uint8_t>(text.back()));
        text.pop_back();
      }
      continue;
    }
    if (text.size() >= kMaxSearch) {
      SoundBeep();
      continue;
    }
    text += static_cast<char>(k);
    SpeakChar(k);
  }
  SearchAgain(rv);
}

void GoToRowColumn(Cursor& rv) {
  SpeakText("Entre linha e coluna");
  int digits[4];
  for (int& d : digits) {
    const uint8_t k = ReadKey();
    StopSpeech();
    if (k < '0' || k > '9') {
      SoundBeep();
      SoundBeep();
      return;
    }
    SpeakChar(k);
    d = k - '0';
  }
  rv.row = digits[0] * 10 + digits[1];
  rv.col = digits[2] * 10 + digits[3];
}

// First (or last) cell on the screen holding a letter A-Z in either case.
bool FindLetter(bool last, Cursor& found) {
  for (int i = 0; i < kScreenRows * kScreenCols; ++i) {
    const int k = last ? kScreenRows * kScreenCols - 1 - i : i;
    const int row = k / kScreenCols + 1, col = k % kScreenCols + 1;
    const uint8_t c = Upper(CharAt(col, row));
    if (c >= 'A' && c <= 'Z') {
      found = {row, col};
      return true;
    }
  }
  return false;
}

void GoToLetter(Cursor& rv, bool last) {
  Cursor found{};
  if (!FindLetter(last, found)) {
    SoundBeep();
    return;
  }
  rv = found;
  ReadRow(rv);
}

void TwoLetterCommand(Cursor& rv, uint8_t firstKey) {
  uint8_t first = Upper(firstKey);
  if (first == 'L') first = 'T';
  if (first != 'I' && first != 'T' && first != 'F') {
    ErrorSignal();
    return;
  }
  uint8_t second = ReadKey();
  StopSpeech();
  if (second == 0) {
    ReadKey();
    ErrorSignal();
    return;
  }
  second = Upper(second);
  if (second != 'T' && second != 'L' && second != 'C') {
    ErrorSignal();
    return;
  }
  const int r = rv.row, c = rv.col;
  const review::Field f = review::FieldAt(c, r);
  switch (first * 256 + second) {
    case 'I' * 256 + 'T':
      ReadRegion(rv, 1, 1, r, c - 1, false);
      rv = {r, 1};
      break;
    case 'I' * 256 + 'L':
      ReadRegion(rv, r, 1, r, c - 1, true);
      break;
    case 'I' * 256 + 'C':
      ReadRegion(rv, r, f.start, r, c, true);
      break;
    case 'T' * 256 + 'T':
      ReadRegion(rv, 1, 1, kScreenRows, kLastColumn, false);
      break;
    case 'T' * 256 + 'L':
      ReadRow(rv);
      break;
    case 'T' * 256 + 'C':
      ReadRegion(rv, r, f.start, r, f.end, true);
      break;
    case 'F' * 256 + 'T':
      ReadRegion(rv, r, c, kScreenRows, kLastColumn, false);
      break;
    case 'F' * 256 + 'L':
      ReadRegion(rv, r, c, r, kLastColumn, true);
      break;
    case 'F' * 256 + 'C':
      ReadRegion(rv, r, c, r, f.end, true);
      break;
    default:
      break;
  }
}

void HandleExtended(Cursor& rv, uint8_t code) {
  switch (code) {
    case 59:  // F1
      if (!(KeyWaiting() && Speech().systemSynthActive)) ReadWord(rv);
      if (rv.col > 79) {
        SoundClick();
        GoEndOfRow(rv);
      }
      break;
    case 63:  // F5
      Search(rv);
      break;
    case 64:  // F6
      GoToRowColumn(rv);
      break;
    case 71:  // Home
      rv.col = 1;
      break;
    case 72:  // Up
      rv.row -= 1;
      rv.col = 1;
      if (rv.row < 1) {
        SoundBeep();
        rv.row = 1;
      } else {
        ReadRow(rv);
      }
      break;
    case 73:  // PgUp
      rv = {1, 1};
      ReadRow(rv);
      break;
    case 75:  // Left
      if (rv.col <= 1) {
        SoundBeep();
      } else {
        SpeakChar(CharAt(rv.col - 1, rv.row));
        rv.col -= 1;
      }
      break;
    case 77:  // Right
      if (rv.col > kPastRow) {
        SoundBeep();
      } else {
        SpeakChar(CharAt(rv.col, rv.row));
        rv.col += 1;
      }
      break;
    case 79:  // End
      GoEndOfRow(rv);
      break;
    case 80:  // Down
      rv.row += 1;
      rv.col = 1;
      SoundClick();
      if (rv.row > kScreenRows) {
        SoundBeep();
        rv.row = kScreenRows;
      } else {
        ReadRow(rv);
      }
      break;
    case 81:  // PgDn
      rv = {kScreenRows, 1};
      ReadRow(rv);
      break;
    case 94: {  // Ctrl+F1: the whole field
      const review::Field f = review::FieldAt(rv.col, rv.row);
      ReadRegion(rv, rv.row, f.start, rv.row, f.end, true);
      break;
    }
    case 98:  // Ctrl+F5
      SearchAgain(rv);
      break;
    case 115:  // Ctrl+Left
      PreviousWord(rv);
      break;
    case 116:  // Ctrl+Right
      NextWord(rv);
      break;
    case 118:  // Ctrl+PgDn
      GoToLetter(rv, true);
      break;
    case 132:  // Ctrl+PgUp
      GoToLetter(rv, false);
      break;
    default:
      ErrorSignal();
      break;
  }
}

void HandleOrdinary(Cursor& rv, uint8_t code) {
  if ((code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z')) {
    TwoLetterCommand(rv, code);
    return;
  }
  switch (code) {
    case 3:  // Ctrl+C
      CopyToClipboard(review::ScreenText().c_str());
      break;
    case 8:  // Backspace
      HandleExtended(rv, 75);
      break;
    case 9: {  // Tab: the next field
      rv.col = review::FieldAt(rv.col, rv.row).end + 2;
      if (rv.col <= kLastColumn) {
        SoundClick();
      } else {
        GoEndOfRow(rv);
      }
      break;
    }
    case 11:
    case 12:  // Ctrl+K, Ctrl+L
      SpeakText(std::to_string(rv.row) + " " + std::to_string(rv.col));
      break;
    case 13:  // Enter
      rv.row += 1;
      rv.col = 1;
      SoundClick();
      break;
    case 32:
      ReadRow(rv);
      break;
    default:
      ErrorSignal();
      break;
  }
}

// Puts the review cursor back on the screen; column 81 is allowed, just past the row.
// Keys typed ahead are dropped: they were meant for a position that does not exist.
void KeepOnScreen(Cursor& rv) {
  const Cursor before = rv;
  rv.col = rv.col < 1 ? 1 : (rv.col > kPastRow ? kLastColumn : rv.col);
  rv.row = std::clamp(rv.row, 1, kScreenRows);
  const int corrections = (rv.col != before.col) + (rv.row != before.row);
  if (corrections > 0) DiscardKeys();
  for (int i = 0; i < corrections; ++i) SoundBeep();
}

}  // namespace

std::string& ReviewSearchText() {
  static std::string text;
  return text;
}

void ScreenReview() {
  SoundBeep();
  Cursor rv{CursorRow(), CursorColumn()};
  const Cursor home = rv;
  for (;;) {
    SetCursor(rv.col, rv.row);
    MagnifyRow(rv);
    uint8_t key = ReadKey();
    StopSpeech();
    const bool extended = key == 0;
    if (extended) key = ReadKey();
    if (!extended && key == 27) break;
    if (extended) {
      HandleExtended(rv, key);
    } else {
      HandleOrdinary(rv, key);
    }
    KeepOnScreen(rv);
  }
  SoundBeep();
  SoundBeep();
  MagnifierRepaint();
  SetCursor(home.col, home.row);
}

}  // namespace mg
