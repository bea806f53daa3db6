// Choosing the folder to record by ear: folder names matched as the user types them
// (case and accents ignored), put in Portuguese order, completed and browsed. Plain code
// over the file system; nothing here speaks or draws (folderprompt.cpp does).
//
// Typed text is cp1252, as the line editor holds it; names on disk are bytes (UTF-8).
// A typed path that does not start with "/" or "~" is taken under the home folder, or
// relative to the current folder when only there it exists. Called on the main thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mg {

// A name reduced for matching: code points lower-cased, accents taken off Latin letters
// ("Música" and "MUSICA" both give "musica").
std::u32string FoldName(std::u32string_view name);

// Portuguese alphabetical order of two names (UTF-8): letters compared without accents
// or case first, so that an accented letter sorts with its letter; then an unaccented
// letter before an accented one, lower case before upper case, last the bytes.
bool CollatesBefore(std::string_view a, std::string_view b);

// Whether a name (UTF-8) ends in ".iso", in any case.
bool IsIsoName(std::string_view name);

struct FolderChoice {
  std::string name;    // bytes as on disk
  std::string shown;   // cp1252, as written into the field and spoken
  std::u32string key;  // FoldName of the name
  bool folder = true;  // false: an .iso file
};

// The choices a folder offers: its folders (a link to a folder counts as one) and, with
// `isoFiles`, its regular files ending in ".iso", in Portuguese order. Hidden names
// (starting with ".") are left out unless `hidden`; so are names cp1252 cannot hold,
// which the field could not name, and names with control characters, which would move
// the cursor when written. False when the folder cannot be read.
bool ListChoices(const std::string& linuxDir, bool isoFiles, bool hidden,
                 std::vector<FolderChoice>& out);

// A typed path split at its last "/": the parent as typed (with its final "/", or empty)
// and the last part.
struct TypedPath {
  std::string parent;
  std::string leaf;
};
TypedPath SplitTyped(std::string_view typed);

// The Linux path a typed folder names: "" is the home folder; "/..." and "~..." as they
// are; anything else under the home folder, unless only the current folder holds it.
std::string TypedToLinux(std::string_view typed);

// What Tab does to the field's text.
struct Completion {
  enum Kind { kOne, kSeveral, kNone, kNoParent } kind = kNone;
  std::string text;                // the field's new text (cp1252)
  std::vector<std::string> names;  // the matching names (cp1252), in order
  bool allFolders = true;
};
// Completes the last part of `typed` against the choices of its parent. One match: the
// whole name, with a final "/" for a folder. Several: the part they all share. With
// `again` (Tab pressed a second time on the same text), a folder whose name is exactly
// the last part is gone into.
Completion CompleteTyped(std::string_view typed, bool again = false);

// The sentence said after Tab (cp1252): the name; "N pastas: A, B, C, D, E e mais M";
// "Nenhuma pasta começa com X"; "Diretório não encontrado: P".
std::string CompletionSentence(const Completion& c, std::string_view typed);

// Files and folders directly in a folder (hidden ones, devices, FIFOs and sockets left
// out, as the directory check leaves them out); -1 each when it cannot be read.
struct EntryCount {
  int files = 0;
  int folders = 0;
};
EntryCount CountEntries(const std::string& linuxDir);
// "Fotos da festa, 112 arquivos", "..., 3 arquivos, 1 pasta", "..., vazia" (cp1252).
std::string BrowseSentence(std::string_view shown, const EntryCount& count);

// Up and Down at the field: steps through the folders of the folder typed so far.
class FolderBrowser {
 public:
  struct Step {
    bool moved = false;    // false: at the first or last folder, or nothing to browse
    std::string text;      // the field's new text (cp1252)
    std::string sentence;  // what to say (cp1252)
  };
  // `direction` +1 (Down) or -1 (Up). Browsing goes on from the last step while the
  // field still shows what that step put there; otherwise it starts in the folder the
  // field names (ending in "/" or empty) or, for a partly typed name, among its parent's
  // folders at the first one not before that name.
  Step Move(const std::string& field, int direction);
  // Whether the field shows the folder of the last step.
  bool Shows(const std::string& field) const { return index_ >= 0 && field == shown_; }

 private:
  std::string parent_;  // as typed, with its final "/", or empty
  std::vector<FolderChoice> folders_;
  int index_ = -1;
  std::string shown_;  // the field text of the last step
};

// The typed answer judged before the directory check.
struct Answer {
  enum Kind { kFolder, kIsoFile, kMissing, kNotFolder } kind = kMissing;
  std::string linuxPath;  // absolute
  std::string forCheck;   // cp1252 text the directory check resolves to linuxPath
};
Answer JudgeAnswer(std::string_view typed);

}  // namespace mg
