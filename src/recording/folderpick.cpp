#include "recording/folderpick.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>

#include "common/cp1252.h"
#include "common/paths.h"

namespace mg {
namespace {

// Weights of one code point: the letter itself, its accent, its case.
struct Weights {
  char32_t letter;
  uint8_t accent;  // 0 none, then acute, grave, circumflex, tilde, diaeresis, ring, cedilla
  uint8_t upper;
};

// Latin-1 letters U+00C0-U+00FF: base letter and accent ("" = not a plain accented letter).
constexpr const char* kBase = "aaaaaaxceeeeiiiixnooooo-ouuuuyxxaaaaaaxceeeeiiiixnooooo-ouuuuyxy";
constexpr uint8_t kAccent[64] = {2, 1, 3, 4, 5, 6, 0, 7, 2, 1, 3, 5, 2, 1, 3, 5, 0, 4, 2, 1, 3, 4,
                                 5, 0, 0, 2, 1, 3, 5, 1, 0, 0, 2, 1, 3, 4, 5, 6, 0, 7, 2, 1, 3, 5,
                                 2, 1, 3, 5, 0, 4, 2, 1, 3, 4, 5, 0, 0, 2, 1, 3, 5, 1, 0, 5};

Weights WeightsOf(char32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return {cp + 32, 0, 1};
  if (cp >= 0xC0 && cp <= 0xFF) {
    const size_t i = cp - 0xC0;
    const uint8_t upper = cp < 0xE0 && cp != 0xD7 && cp != 0xDF ? 1 : 0;
    if (kBase[i] != 'x' && kBase[i] != '-') {
      return {static_cast<char32_t>(kBase[i]), kAccent[i], upper};
    }
    // Æ, Ð, Ø, Þ and the rest keep their own letter, in lower case.
    const char32_t lower = upper ? cp + 32 : cp;
    return {lower, 0, upper};
  }
  return {cp, 0, 0};
}

std::u32string Decode(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) out.push_back(DecodeUtf8(utf8, pos));
  return out;
}

std::u32string DecodeCp1252(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (const char c : text) out.push_back(Cp1252ToCodePoint(static_cast<uint8_t>(c)));
  return out;
}

// The accent and case levels of a name, one byte each per code point.
std::string Ties(std::u32string_view name) {
  std::string out;
  out.reserve(name.size() * 2);
  for (const char32_t cp : name) out.push_back(static_cast<char>(WeightsOf(cp).accent));
  for (const char32_t cp : name) out.push_back(static_cast<char>(WeightsOf(cp).upper));
  return out;
}

bool StartsWith(std::u32string_view text, std::u32string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty() || dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// What a directory entry is, links followed: 'd' folder, 'f' regular file, 0 other.
// A link that leads nowhere counts as a file, as the directory check counts it.
char KindOf(int dirFd, const dirent* e) {
  if (e->d_type == DT_DIR) return 'd';
  if (e->d_type == DT_REG) return 'f';
  if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) return 0;
  struct stat st {};
  if (fstatat(dirFd, e->d_name, &st, 0) != 0) {
    return fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 ? 'f' : 0;
  }
  if (S_ISDIR(st.st_mode)) return 'd';
  return S_ISREG(st.st_mode) ? 'f' : 0;
}

// Calls `each(entry, kind)` for every entry but "." and ".."; false when unreadable.
template <typename F>
bool ForEachEntry(const std::string& linuxDir, F each) {
  DIR* dir = opendir(linuxDir.empty() ? "." : linuxDir.c_str());
  if (!dir) return false;
  int err = 0;
  for (;;) {
    errno = 0;
    const dirent* e = readdir(dir);
    if (!e) {
      err = errno;
      break;
    }
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    each(e, dirfd(dir));
  }
  closedir(dir);
  return err == 0;
}

// A name holding a control character would move the cursor when written.
bool HasControl(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
  });
}

std::string Plural(int n, const char* one, const char* many) {
  return std::to_string(n) + (n == 1 ? one : many);
}

std::string WithoutFinalSlash(std::string text) {
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace

std::u32string FoldName(std::u32string_view name) {
  std::u32string out(name.size(), U'\0');
  for (size_t i = 0; i < name.size(); ++i) out[i] = WeightsOf(name[i]).letter;
  return out;
}

bool CollatesBefore(std::string_view a, std::string_view b) {
  const std::u32string ca = Decode(a), cb = Decode(b);
  const std::u32string fa = FoldName(ca), fb = FoldName(cb);
  if (fa != fb) return fa < fb;
  const std::string ta = Ties(ca), tb = Ties(cb);
  if (ta != tb) return ta < tb;
  return a < b;
}

bool IsIsoName(std::string_view name) {
  if (name.size() < 4) return false;
  const std::string_view end = name.substr(name.size() - 4);
  return end[0] == '.' && (end[1] | 0x20) == 'i' && (end[2] | 0x20) == 's' &&
         (end[3] | 0x20) == 'o';
}

bool ListChoices(const std::string& linuxDir, bool isoFiles, bool hidden,
                 std::vector<FolderChoice>& out) {
  out.clear();
  const bool read = ForEachEntry(linuxDir, [&](const dirent* e, int fd) {
    if (e->d_name[0] == '.' && !hidden) return;
    const std::string_view name = e->d_name;
    // Only .iso files are worth a look at their type.
    if (e->d_type == DT_REG && !(isoFiles && IsIsoName(name))) return;
    const char kind = KindOf(fd, e);
    if (kind != 'd' && !(kind == 'f' && isoFiles && IsIsoName(name))) return;
    bool lossless = false;
    std::string shown = Utf8ToCp1252(name, '?', &lossless);
    if (!lossless || HasControl(shown)) return;
    out.push_back({std::string(name), std::move(shown), FoldName(Decode(name)), kind == 'd'});
  });
  if (!read) {
    out.clear();
    return false;
  }
  // Sorted once by precomputed keys: 10,000 names must not cost a decode per comparison.
  std::vector<std::string> ties(out.size());
  for (size_t i = 0; i < out.size(); ++i) ties[i] = Ties(Decode(out[i].name));
  std::vector<size_t> order(out.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (out[a].key != out[b].key) return out[a].key < out[b].key;
    if (ties[a] != ties[b]) return ties[a] < ties[b];
    return out[a].name < out[b].name;
  });
  std::vector<FolderChoice> sorted;
  sorted.reserve(out.size());
  for (const size_t i : order) sorted.push_back(std::move(out[i]));
  out = std::move(sorted);
  return true;
}

TypedPath SplitTyped(std::string_view typed) {
  const size_t slash = typed.find_last_of('/');
  if (slash == std::string_view::npos) return {"", std::string(typed)};
  return {std::string(typed.substr(0, slash + 1)), std::string(typed.substr(slash + 1))};
}

std::string TypedToLinux(std::string_view typed) {
  const std::string path = Cp1252ToUtf8(typed);
  const std::string home = HomeDirectory();
  if (path.empty()) return home;
  if (path[0] == '/') return path;
  if (path == "~" || path.rfind("~/", 0) == 0) return home + path.substr(1);
  const std::string underHome = Join(home, path);
  if (!Exists(underHome) && Exists(path)) {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) return Join(cwd, path);
  }
  return underHome;
}

Completion CompleteTyped(std::string_view typed, bool again) {
  Completion c;
  c.text = std::string(typed);
  if (typed == "~") {
    c.kind = Completion::kOne;
    c.text = "~/";
    c.names = {"pasta pessoal"};
    return c;
  }
  const TypedPath part = SplitTyped(typed);
  std::vector<FolderChoice> choices;
  if (!ListChoices(TypedToLinux(part.parent), true, !part.leaf.empty() && part.leaf[0] == '.',
                   choices)) {
    c.kind = Completion::kNoParent;
    return c;
  }
  const std::u32string leaf = FoldName(DecodeCp1252(part.leaf));
  std::vector<const FolderChoice*> matches;
  for (const FolderChoice& f : choices) {
    if (StartsWith(f.key, leaf)) matches.push_back(&f);
  }
  if (again) {
    const auto exact = std::find_if(matches.begin(), matches.end(), [&](const FolderChoice* f) {
      return f->folder && f->key == leaf;
    });
    if (exact != matches.end()) matches = {*exact};
  }
  if (matches.empty()) {
    c.kind = Completion::kNone;
    return c;
  }
  for (const FolderChoice* f : matches) {
    c.names.push_back(f->shown);
    c.allFolders = c.allFolders && f->folder;
  }
  if (matches.size() == 1) {
    c.kind = Completion::kOne;
    c.text = part.parent + matches[0]->shown + (matches[0]->folder ? "/" : "");
    return c;
  }
  c.kind = Completion::kSeveral;
  // The part all of them share, spelt as the first of them spells it (the fold keeps
  // one code point for each, so positions agree).
  size_t common = matches[0]->key.size();
  for (const FolderChoice* f : matches) {
    size_t n = 0;
    while (n < common && n < f->key.size() && f->key[n] == matches[0]->key[n]) ++n;
    common = n;
  }
  const std::u32string first = Decode(matches[0]->name);
  std::string prefix;
  for (size_t i = 0; i < common && i < first.size(); ++i) {
    prefix.push_back(static_cast<char>(CodePointToCp1252(first[i])));
  }
  c.text = part.parent + prefix;
  return c;
}

std::string CompletionSentence(const Completion& c, std::string_view typed) {
  const TypedPath part = SplitTyped(typed);
  switch (c.kind) {
    case Completion::kOne:
      return c.names.empty() ? std::string() : c.names[0];
    case Completion::kSeveral: {
      std::string s = std::to_string(c.names.size()) + (c.allFolders ? " pastas: " : " nomes: ");
      const size_t said = std::min<size_t>(c.names.size(), 5);
      for (size_t i = 0; i < said; ++i) s += (i ? ", " : "") + c.names[i];
      if (c.names.size() > said) s += " e mais " + std::to_string(c.names.size() - said);
      return s;
    }
    case Completion::kNone:
      if (part.leaf.empty()) return "Nenhuma pasta aqui";
      return "Nenhuma pasta come\xe7"
             "a com " +
             part.leaf;
    case Completion::kNoParent:
      return "Diret\xf3rio n\xe3o encontrado: " + WithoutFinalSlash(part.parent);
  }
  return {};
}

EntryCount CountEntries(const std::string& linuxDir) {
  EntryCount count;
  const bool read = ForEachEntry(linuxDir, [&](const dirent* e, int fd) {
    if (e->d_name[0] == '.') return;
    const char kind = KindOf(fd, e);
    if (kind == 'd') ++count.folders;
    if (kind == 'f') ++count.files;
  });
  if (!read) return {-1, -1};
  return count;
}

std::string BrowseSentence(std::string_view shown, const EntryCount& count) {
  std::string s(shown);
  if (count.files < 0) return s + ", n\xe3o \xe9 poss\xedvel ler";
  if (count.files == 0 && count.folders == 0) return s + ", vazia";
  if (count.files > 0 || count.folders == 0)
    s += ", " + Plural(count.files, " arquivo", " arquivos");
  if (count.folders > 0) s += ", " + Plural(count.folders, " pasta", " pastas");
  return s;
}

FolderBrowser::Step FolderBrowser::Move(const std::string& field, int direction) {
  Step step;
  step.text = field;
  const int d = direction < 0 ? -1 : 1;
  if (index_ >= 0 && field == shown_) {
    const int next = index_ + d;
    if (next < 0 || next >= static_cast<int>(folders_.size())) {
      step.sentence = BrowseSentence(
          folders_[index_].shown, CountEntries(Join(TypedToLinux(parent_), folders_[index_].name)));
      return step;
    }
    index_ = next;
  } else {
    index_ = -1;
    const bool inside = field.empty() || field.back() == '/';
    const TypedPath part = inside ? TypedPath{field, ""} : SplitTyped(field);
    parent_ = part.parent;
    if (!ListChoices(TypedToLinux(parent_), false, false, folders_)) {
      step.sentence = "Diret\xf3rio n\xe3o encontrado: " + WithoutFinalSlash(parent_);
      return step;
    }
    if (folders_.empty()) {
      step.sentence = "Nenhuma pasta aqui";
      return step;
    }
    const int last = static_cast<int>(folders_.size()) - 1;
    if (inside) {
      index_ = d > 0 ? 0 : last;
    } else {
      // Keys are in order: the first folder not before the typed name.
      const std::u32string leaf = FoldName(DecodeCp1252(part.leaf));
      const auto at = std::lower_bound(
          folders_.begin(), folders_.end(), leaf,
          [](const FolderChoice& f, const std::u32string& k) { return f.key < k; });
      const int i = static_cast<int>(at - folders_.begin());
      index_ = std::clamp(d > 0 ? i : i - 1, 0, last);
    }
  }
  const FolderChoice& f = folders_[index_];
  step.moved = true;
  step.text = shown_ = parent_ + f.shown;
  step.sentence = BrowseSentence(f.shown, CountEntries(Join(TypedToLinux(parent_), f.name)));
  return step;
}

Answer JudgeAnswer(std::string_view typed) {
  Answer a;
  a.linuxPath = TypedToLinux(typed);
  const std::string utf8 = Cp1252ToUtf8(typed);
  if (!utf8.empty() && utf8[0] != '/' && utf8[0] != '~' &&
      a.linuxPath == Join(HomeDirectory(), utf8)) {
    a.forCheck = "~/" + std::string(typed);
  } else {
    a.forCheck = std::string(typed);
  }
  struct stat st {};
  if (stat(a.linuxPath.c_str(), &st) != 0) {
    // Only a name that is not there is asked again; a folder that is there but cannot
    // be reached goes on to the check, which says so.
    a.kind = errno == ENOENT || errno == ENOTDIR ? Answer::kMissing : Answer::kFolder;
    return a;
  }
  if (S_ISDIR(st.st_mode)) {
    a.kind = Answer::kFolder;
  } else if (S_ISREG(st.st_mode) && IsIsoName(a.linuxPath)) {
    a.kind = Answer::kIsoFile;
  } else {
    a.kind = Answer::kNotFolder;
  }
  return a;
}

}  // namespace mg
