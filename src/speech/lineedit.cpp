// The spoken line editor: one line of the console, every key echoed by voice.
#include <algorithm>
#include <climits>
#include <iostream>
#include <string>
#include <vector>

#include "audio/snwav.h"
#include "console/console.h"
#include "speech/battery.h"
#include "speech/dialtones.h"
#include "speech/editortext.h"
#include "speech/lineinput.h"
#include "speech/linkopen.h"
#include "speech/magnifier.h"
#include "speech/numbers.h"
#include "speech/review.h"
#include "speech/speech.h"
#include "speech/speed.h"

namespace mg {
namespace {

constexpr int kMaxField = 2048;

struct Editor {
  std::string text;  // padded with blanks to maxLength
  int x = 1, y = 1, width = 1, maxLength = 1;
  int cursor = 1, first = 1;
  std::string entry;
  int anchor = 0, selEnd = 0;
  bool firstKey = true;
  bool shift = false, alt = false;

  bool HasSelection() const { return anchor >= 1 && selEnd >= 1; }
  int ScreenColumn() const { return x + cursor - first; }
  std::string Visible() const {
    return text.substr(static_cast<size_t>(first - 1), static_cast<size_t>(width));
  }
};

void Write(std::string_view s) {
  size_t done = 0;
  while (done < s.size()) {
    const size_t n = std::min<size_t>(s.size() - done, UINT16_MAX);
    ConsoleWrite(s.data() + done, static_cast<uint16_t>(n));
    done += n;
  }
}

void WriteVisible(const Editor& ed) {
  SetCursor(ed.x, ed.y);
  Write(ed.Visible());
}

// Draws the visible part, the selection on background colour 8.
void Draw(const Editor& ed) {
  const std::string v = ed.Visible();
  SetCursor(ed.x, ed.y);
  int selFrom = 0, selTo = 0;  // visible offsets [selFrom, selTo)
  if (ed.HasSelection()) {
    const int a = std::min(ed.anchor, ed.selEnd), e = std::max(ed.anchor, ed.selEnd);
    selFrom = std::clamp(a - ed.first, 0, static_cast<int>(v.size()));
    selTo = std::clamp(e - ed.first, 0, static_cast<int>(v.size()));
  }
  // The rest of the row is blanked with the last piece: one write, one picture.
  const size_t rowLeft = static_cast<size_t>(kScreenCols - ed.x + 1);
  const size_t pad =
      v.size() < static_cast<size_t>(kScreenCols) && rowLeft > v.size() ? rowLeft - v.size() : 0;
  if (selFrom < selTo) {
    const uint8_t attr = TextAttribute();
    Write(std::string_view(v).substr(0, static_cast<size_t>(selFrom)));
    SetBackgroundColour(8);
    Write(std::string_view(v).substr(static_cast<size_t>(selFrom),
                                     static_cast<size_t>(selTo - selFrom)));
    SetTextAttribute(attr);
    Write(v.substr(static_cast<size_t>(selTo)) + std::string(pad, ' '));
  } else {
    Write(v + std::string(pad, ' '));
  }
  SetCursor(ed.ScreenColumn(), ed.y);
}

std::string Trimmed(std::string_view s) {
  return std::string(s.substr(0, static_cast<size_t>(edit::LastNonBlank(s))));
}

// Removes the character at p, redraws and says it.
void DeleteSpeaking(Editor& ed, int p, bool sayDel) {
  const uint8_t removed = edit::RemoveAt(ed.text, p);
  WriteVisible(ed);
  if (sayDel) PlayRecorded("_DEL");
  SpeakChar(removed);
}

void InsertChar(Editor& ed, uint8_t c) {
  if (ed.cursor > ed.maxLength) {
    SoundBeep();
    return;
  }
  edit::InsertAt(ed.text, ed.cursor, c);
  if (ed.cursor - ed.first < ed.width) {
    SetCursor(ed.ScreenColumn(), ed.y);
    const char ch = static_cast<char>(c);
    ConsoleWrite(&ch, 1);
  }
  if (Speech().echo) SpeakChar(c);
  ed.cursor += 1;
}

void MoveWord(Editor& ed, bool forward) {
  const edit::WordMove m =
      forward ? edit::NextWord(ed.text, ed.cursor) : edit::PreviousWord(ed.text, ed.cursor);
  ed.cursor = m.cursor;
  if (m.beep) {
    SoundBeep();
  } else {
    SoundClick();
  }
}

void DeleteWord(Editor& ed) {
  if (ed.cursor > 1 && ed.cursor <= ed.maxLength + 1 &&
      ed.text[static_cast<size_t>(ed.cursor - 2)] != ' ') {
    MoveWord(ed, false);
  }
  const int start = ed.cursor;
  MoveWord(ed, true);
  const int end = ed.cursor;
  MoveWord(ed, false);
  for (int i = 0; i < end - start; ++i) DeleteSpeaking(ed, ed.cursor, i == 0);
}

void ReadNextWord(Editor& ed) {
  const edit::NextRead r = edit::ReadNextWord(ed.text, ed.cursor);
  switch (r.say) {
    case edit::Say::Nothing:
      SoundBeep();
      return;
    case edit::Say::Speak:
      SpeakText(r.word);
      break;
    case edit::Say::Spell:
      SpellText(r.word);
      break;
  }
  ed.cursor = r.cursor;
}

void DeleteAtCursor(Editor& ed) {
  if (ed.shift && ed.HasSelection()) {
    const int a = std::min(ed.anchor, ed.selEnd), e = std::max(ed.anchor, ed.selEnd);
    ed.cursor = a;
    PlayRecorded("_DEL");
    for (int i = 0; i < e - a; ++i) DeleteSpeaking(ed, ed.cursor, false);
    ed.selEnd = a;
    ed.anchor = a;
    return;
  }
  if (ed.cursor > ed.maxLength) {
    SoundBeep();
    return;
  }
  DeleteSpeaking(ed, ed.cursor, true);
}

void Copy(const Editor& ed) {
  std::string out;
  const int a = std::min(ed.anchor, ed.selEnd), e = std::max(ed.anchor, ed.selEnd);
  if (ed.HasSelection() && a < e) {
    const int from = std::min(a, ed.maxLength + 1), to = std::min(e, ed.maxLength + 1);
    out = ed.text.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from));
  } else {
    out = Trimmed(ed.text) + "\r\n";
  }
  CopyToClipboard(out.c_str());
}

void Paste(Editor& ed) {
  std::vector<char> buffer(static_cast<size_t>(ed.maxLength) + 1, '\0');
  PasteFromClipboard(buffer.data(), buffer.size());
  const std::string pasted = edit::CleanPaste(buffer.data(), static_cast<size_t>(ed.maxLength));
  if (pasted.empty()) return;  // an empty clipboard leaves the field as it is
  if (ed.firstKey) {
    SoundClick();
    SoundClick();
    ed.text.assign(static_cast<size_t>(ed.maxLength), ' ');
  }
  int a = ed.cursor, e = ed.cursor;
  if (ed.HasSelection()) {
    a = std::min(ed.anchor, ed.selEnd);
    e = std::max(ed.anchor, ed.selEnd);
  }
  if (a > ed.maxLength) {
    SoundBeep();
    return;
  }
  edit::ReplaceRange(ed.text, a, e, pasted);
  ed.anchor = a;
  ed.selEnd = std::min(a + static_cast<int>(pasted.size()), ed.maxLength + 1);
  ed.cursor = a;
}

void ChangeSpeed() {
  PlayRecorded("_VELOC");
  uint8_t k;
  do {
    k = ReadKeySpoken();
  } while (KeyWaiting());
  if (k == 27 || k == 13) return;
  ChangeSpeechSpeed(k);
  WavFlags().noWait = true;  // still inside the editor
}

void OpenWordUnderCursor(const Editor& ed) {
  const std::string word = edit::WordForLink(ed.text, ed.cursor);
  if (word.empty()) {
    SoundBeep();
  } else {
    OpenLink(word);
  }
}

// Ordinary keys; true when the key ends the input.
bool HandleOrdinary(Editor& ed, uint8_t code) {
  switch (code) {
    case 2:
    case 9:
    case 10:
    case 13:
    case 27:
      return true;
    case 3:
      Copy(ed);
      break;
    case 4:
      for (int p = ed.cursor; p <= ed.maxLength; ++p) ed.text[static_cast<size_t>(p - 1)] = ' ';
      PlayRecorded("_APFCPO");
      break;
    case 8:
      if (ed.cursor <= 1) {
        SoundBeep();
      } else {
        ed.cursor -= 1;
        DeleteSpeaking(ed, ed.cursor, true);
      }
      break;
    case 11:
      SpeakText(std::to_string(ed.cursor));
      break;
    case 19: {
      const size_t before = static_cast<size_t>(std::min(ed.cursor, ed.maxLength + 1) - 1);
      ed.text.erase(0, before);
      ed.text.resize(static_cast<size_t>(ed.maxLength), ' ');
      ed.cursor = 1;
      PlayRecorded("_APICPO");
      break;
    }
    case 21:
      ed.text = ed.entry;
      ed.cursor = 1;
      SoundBeep();
      SoundBeep();
      SoundBeep();
      break;
    case 22:
      Paste(ed);
      break;
    case 25:
      ed.text.assign(static_cast<size_t>(ed.maxLength), ' ');
      PlayRecorded("_CPOAPA");
      ed.cursor = 1;
      break;
    case 28:
      SpeakDialTones(ed.text);
      break;
    case 127:
      DeleteWord(ed);
      break;
    default:
      if (code >= 32) InsertChar(ed, code);
      break;
  }
  return false;
}

// Extended keys; true when the key ends the input.
bool HandleExtended(Editor& ed, uint8_t code) {
  switch (code) {
    case 59:
      ReadNextWord(ed);
      break;
    case 62:
      Speech().echo = !Speech().echo;
      PlayRecorded(Speech().echo ? "_FALACI" : "_FALDLG");
      break;
    case 66:
      SpeakTime();
      break;
    case 70:
      OpenWordUnderCursor(ed);
      break;
    case 71:
      ed.cursor = 1;
      break;
    case 75:
      if (ed.cursor <= 1) {
        SoundBeep();
      } else {
        ed.cursor -= 1;
        SpeakChar(static_cast<uint8_t>(ed.text[static_cast<size_t>(ed.cursor - 1)]));
      }
      break;
    case 77:
      if (ed.cursor > ed.maxLength) {
        SoundBeep();
      } else {
        const auto c = static_cast<uint8_t>(ed.text[static_cast<size_t>(ed.cursor - 1)]);
        if (ed.alt && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
          PlayRecorded("_FON" + std::to_string(c));
        } else {
          SpeakChar(c);
        }
        ed.cursor += 1;
      }
      break;
    case 79:
      ed.cursor = edit::LastNonBlank(ed.text) + 1;
      break;
    case 83:
      DeleteAtCursor(ed);
      break;
    case 94:
      SpeakText(Trimmed(ed.text));
      break;
    case 97:
      ChangeSpeed();
      break;
    case 101:
      SpeakDate();
      break;
    case 102:
      if (!ed.alt) return true;
      ScreenReview();
      break;
    case 104:
      SpeakBattery();
      break;
    case 115:
      MoveWord(ed, false);
      break;
    case 116:
      MoveWord(ed, true);
      break;
    case 254:
      Paste(ed);
      break;
    case 255:
      Copy(ed);
      break;
    default:
      if (code >= 120 && code <= 129) break;  // Ctrl+Alt+digit
      return true;
  }
  return false;
}

// One key of the cycle: extended keys as (true, code). Ctrl+Alt+Q, W and E (AltGr on
// many keyboards) only announce the character that follows.
void ReadEditorKey(Editor& ed, bool& extended, uint8_t& code) {
  for (;;) {
    code = ReadKey();
    StopSpeech();
    extended = code == 0;
    if (extended) code = ReadKey();
    ed.shift = ShiftHeld();
    ed.alt = AltHeld();
    if (!(extended && code >= 16 && code <= 18)) return;
  }
}

}  // namespace

int EditLineSpoken(std::string& text, int column, int row, int width, int maxLength) {
  Editor ed;
  ed.x = std::clamp(column, 1, kScreenCols);
  ed.y = std::clamp(row, 1, kScreenRows);
  ed.maxLength = std::clamp(maxLength, 1, kMaxField);
  // The field never runs past the end of its row, where it would wrap onto the next.
  ed.width = std::clamp(width, 1, std::min(ed.maxLength, kScreenCols - ed.x + 1));
  if (ed.y == kScreenRows && ed.x + ed.width > kScreenCols && ed.width > 1) ed.width -= 1;

  ed.text = text.substr(0, static_cast<size_t>(ed.maxLength));
  ed.text.resize(static_cast<size_t>(ed.maxLength), ' ');
  ed.entry = ed.text;

  std::cout.flush();
  const bool noWait = WavFlags().noWait;
  WavFlags().noWait = true;

  uint8_t lastKey = ' ';
  for (;;) {
    if (ed.cursor < ed.first) ed.first = ed.cursor;
    if (ed.cursor - ed.first > ed.width) ed.first = ed.cursor - ed.width;
    // The magnifier gets the real cursor in the whole text, so it marks the character
    // left of the caret also while the field is scrolled.
    MagnifierDraw(ed.text, ed.cursor);
    Draw(ed);

    bool extended = false;
    uint8_t code = 0;
    ReadEditorKey(ed, extended, code);

    if (extended) {
      if (!ed.shift && code != 254 && code != 255) {
        ed.anchor = ed.selEnd = 0;
      } else if (ed.shift && ed.anchor == 0) {
        ed.anchor = ed.cursor;
      }
    } else if (code != 3 && code != 22) {
      ed.anchor = ed.selEnd = 0;
    }

    const bool ends = extended ? HandleExtended(ed, code) : HandleOrdinary(ed, code);
    ed.firstKey = false;
    if (ends) {
      lastKey = code;
      break;
    }
    // A paste with Shift+Ins has just made the pasted text the selection.
    if (extended && ed.shift && code != 254) ed.selEnd = ed.cursor;
  }

  MagnifierRepaint();
  SetCursor(ed.x, ed.y);
  Write(std::string_view(ed.text).substr(0, static_cast<size_t>(ed.width)));
  SetCursor(ed.x, ed.y);
  text = Trimmed(ed.text);
  WavFlags().noWait = false;
  StopSpeech();
  WavFlags().noWait = noWait;
  return lastKey;
}

void ReadLineSpoken(std::string& text) {
  text.clear();
  const int x = CursorColumn(), y = CursorRow();
  const int width = std::max((kScreenCols - 1) - x, 1);
  if (EditLineSpoken(text, x, y, width, 255) == 27) {
    // Blank what the field shows; a text longer than the field was never on screen.
    SetCursor(x, y);
    Write(std::string(std::min(text.size(), static_cast<size_t>(width)), ' '));
    SetCursor(x, y);
    text.clear();
  }
  ConsoleWrite("\r\n", 2);
}

void ReadIntegerSpoken(int& value) {
  std::string text;
  const int x = CursorColumn(), y = CursorRow();
  EditLineSpoken(text, x, y, std::max((kScreenCols - 1) - x, 1), 255);
  const size_t from = text.find_first_not_of(' ');
  if (from != std::string::npos) {
    // Sign and leading digits, as the C library reads them; past the int range the
    // nearest limit; no number at all gives 0.
    const std::string s = text.substr(from);
    long long v = 0;
    size_t i = 0;
    const bool negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) i = 1;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
      v = std::min<long long>(v * 10 + (s[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    if (negative) v = -v;
    value = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
  }
  ConsoleWrite("\r\n", 2);
}

}  // namespace mg
