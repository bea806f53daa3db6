#include "recording/folderprompt.h"

#include <algorithm>

#include "common/cp1252.h"
#include "common/paths.h"
#include "common/userstate.h"
#include "console/console.h"
#include "recording/folderpick.h"
#include "speech/lineinput.h"
#include "speech/speech.h"

namespace mg {
namespace {

constexpr int kTab = 9;
constexpr int kEscape = 27;
constexpr int kUp = 72;
constexpr int kDown = 80;
constexpr uint8_t kEnd = 79;
constexpr int kMaxLength = 255;
constexpr const char* kLastFolderKey = "ULTIMO_DIRETORIO";

// The folder of the last answer (absolute Linux path), for RememberLastFolder.
std::string gChosen;

// Where the answer is typed; the row below it shows what is said about the field.
struct Field {
  int x = 1;
  int y = 1;
  int width = 1;
};

Field OpenField() {
  if (CursorRow() >= kScreenRows) {
    ConsoleWrite("\r\n", 2);
    SetCursor(1, kScreenRows - 1);
  }
  Field f;
  f.x = CursorColumn();
  f.y = CursorRow();
  f.width = std::max((kScreenCols - 1) - f.x, 1);
  return f;
}

void ShowBelow(const Field& f, const std::string& text) {
  SetCursor(1, f.y + 1);
  const std::string row = text.substr(0, kScreenCols - 1);
  ConsoleWrite(row.data(), static_cast<uint16_t>(row.size()));
  ClearToLineEnd();
  SetCursor(f.x, f.y);
}

void Say(const Field& f, const std::string& sentence) {
  ShowBelow(f, sentence);
  SpeakText(sentence);
}

// The editor starts at the field's first position; an End key queued ahead of whatever
// the user typed meanwhile puts the cursor after the text. The editor's first key
// silences speech, so what is being said is let finish first (a key cuts it short).
int Edit(std::string& text, const Field& f) {
  if (!text.empty()) {
    WaitWhileSpeaking();
    uint8_t typed[kKeyBufferSize];
    int n = 0;
    while (n < kKeyBufferSize - 2 && KeyWaiting()) typed[n++] = ReadKey();
    PushKey(0);
    PushKey(kEnd);
    for (int i = 0; i < n; ++i) PushKey(typed[i]);
  }
  return EditLineSpoken(text, f.x, f.y, f.width, kMaxLength);
}

// One answer: Tab, Up and Down work on the field and the editor is entered again; Escape
// gives nothing; every other key that ends the editor gives the text.
std::optional<std::string> EditField(std::string text) {
  const Field f = OpenField();
  FolderBrowser browser;
  std::string tabbed;  // the field after the last Tab, "" before any
  bool afterTab = false;
  for (int key = Edit(text, f);; key = Edit(text, f)) {
    if (key == kTab) {
      const bool again = (afterTab && text == tabbed) || browser.Shows(text);
      const Completion c = CompleteTyped(text, again);
      const std::string sentence = CompletionSentence(c, text);
      if (c.kind == Completion::kNone || c.kind == Completion::kNoParent) SoundBeep();
      text = tabbed = c.text;
      afterTab = true;
      Say(f, sentence);
    } else if (key == kUp || key == kDown) {
      const FolderBrowser::Step step = browser.Move(text, key == kDown ? 1 : -1);
      if (!step.moved) SoundBeep();
      text = step.text;
      afterTab = false;
      Say(f, step.sentence);
    } else {
      ShowBelow(f, "");
      if (key == kEscape) {
        SetCursor(f.x, f.y);
        const std::string blanks(std::min<size_t>(text.size(), f.width), ' ');
        ConsoleWrite(blanks.data(), static_cast<uint16_t>(blanks.size()));
        SetCursor(f.x, f.y);
      }
      ConsoleWrite("\r\n", 2);
      if (key == kEscape) return std::nullopt;
      return text;
    }
  }
}

std::string WithoutFinalSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The folder recorded last, offered for an empty answer: its text for the directory
// check when the user says yes.
std::optional<std::string> OfferLastFolder() {
  const std::optional<std::string> last = ReadUserState(kLastFolderKey);
  if (!last || last->empty() || (*last)[0] != '/' || !DirectoryExists(*last)) {
    return std::nullopt;
  }
  bool lossless = false;
  const std::string typed = Utf8ToCp1252(*last, '?', &lossless);
  if (!lossless || std::any_of(typed.begin(), typed.end(),
                               [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
    return std::nullopt;
  }
  const std::string home = HomeDirectory() + "/";
  const std::string name =
      last->rfind(home, 0) == 0 ? Utf8ToCp1252(last->substr(home.size())) : typed;
  SpeakLine("\xdaltimo diret\xf3rio: " + name + ". Gravar? S/N");
  uint8_t key = ReadKey();
  StopSpeech();
  if (key == 0) {
    ReadKey();  // the second code of an extended key: no answer
    return std::nullopt;
  }
  if (key != 'S' && key != 's') return std::nullopt;
  gChosen = *last;
  return typed;
}

}  // namespace

std::optional<std::string> AskSourceFolder() {
  std::string text;
  for (;;) {
    SpeakLine("Nome do diret\xf3rio a gravar");
    const std::optional<std::string> typed = EditField(text);
    if (!typed) return std::nullopt;
    text.clear();
    if (typed->empty()) {
      if (std::optional<std::string> last = OfferLastFolder()) return last;
      SpeakLine("Digite o nome do diret\xf3rio; Tab completa o nome, as setas mostram as pastas");
      continue;
    }
    const Answer answer = JudgeAnswer(*typed);
    if (answer.kind == Answer::kMissing || answer.kind == Answer::kNotFolder) {
      SpeakLine((answer.kind == Answer::kMissing ? "Diret\xf3rio n\xe3o encontrado: "
                                                 : "N\xe3o \xe9 um diret\xf3rio: ") +
                *typed);
      text = *typed;  // asked again, to be mended
      continue;
    }
    gChosen = answer.kind == Answer::kFolder ? WithoutFinalSlash(answer.linuxPath) : "";
    return answer.forCheck;
  }
}

bool RememberLastFolder() { return !gChosen.empty() && WriteUserState(kLastFolderKey, gChosen); }

}  // namespace mg
