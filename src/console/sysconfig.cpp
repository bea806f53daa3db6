// Profile files with the semantics the suite's programs expect of Windows profiles.
#include "console/sysconfig.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "common/paths.h"

namespace mg {
namespace {

struct Entry {
  std::string key;  // upper-cased for comparison
  std::string value;
};
struct Section {
  std::string name;  // upper-cased
  std::vector<Entry> entries;
};
struct Profile {
  time_t mtime = 0;
  off_t size = -1;
  ino_t inode = 0;
  std::vector<Section> sections;
};

std::map<std::string, Profile>& Cache() {
  static std::map<std::string, Profile> cache;
  return cache;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// Lines: "[section]", "key=value", comments beginning with ";". A line without "="
// inside a section has no value and is skipped, as are lines before the first section.
std::vector<Section> Parse(std::istream& in) {
  std::vector<Section> sections;
  std::string line;
  bool first = true;
  while (std::getline(in, line)) {
    std::string_view l = line;
    if (first && l.substr(0, 3) == "\xEF\xBB\xBF") l.remove_prefix(3);
    first = false;
    l = Trim(l);
    if (l.empty() || l[0] == ';') continue;
    if (l[0] == '[') {
      const size_t close = l.find(']');
      const std::string_view name = Trim(l.substr(1, close == std::string_view::npos
                                                           ? std::string_view::npos
                                                           : close - 1));
      sections.push_back(Section{Upper(name), {}});
      continue;
    }
    const size_t eq = l.find('=');
    if (eq == std::string_view::npos || sections.empty()) continue;
    const std::string_view key = Trim(l.substr(0, eq));
    if (key.empty()) continue;
    sections.back().entries.push_back(Entry{Upper(key), std::string(Trim(l.substr(eq + 1)))});
  }
  return sections;
}

const Profile* Load(const std::string& linuxPath) {
  struct stat st {};
  if (stat(linuxPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    Cache().erase(linuxPath);
    return nullptr;
  }
  auto it = Cache().find(linuxPath);
  if (it != Cache().end() && it->second.mtime == st.st_mtime && it->second.size == st.st_size &&
      it->second.inode == st.st_ino) {
    return &it->second;
  }
  std::ifstream in(linuxPath, std::ios::binary);
  if (!in) return nullptr;
  Profile p;
  p.mtime = st.st_mtime;
  p.size = st.st_size;
  p.inode = st.st_ino;
  p.sections = Parse(in);
  return &(Cache()[linuxPath] = std::move(p));
}

std::string Cut(std::string_view v, size_t bufferSize) {
  if (bufferSize == 0) return {};
  return std::string(v.substr(0, bufferSize - 1));
}

}  // namespace

std::string ReadProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::string_view file,
                              size_t bufferSize) {
  // The default loses its trailing blanks, as the platform call does.
  std::string_view def = defaultValue;
  while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
  const Profile* p = Load(ToLinuxPath(file));
  if (!p) return Cut(def, bufferSize);
  const std::string s = Upper(Trim(section));
  const std::string k = Upper(Trim(key));
  for (const Section& sec : p->sections) {
    if (sec.name != s) continue;
    for (const Entry& e : sec.entries) {
      if (e.key != k) continue;
      std::string_view v = e.value;
      if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
      }
      return Cut(v, bufferSize);
    }
    break;  // only the first section of that name counts
  }
  return Cut(def, bufferSize);
}

void FlushProfileCache() { Cache().clear(); }

std::string IniDirectory() {
  std::string appData;
  ReadRegistryString(RegistryRoot::CurrentUser,
                     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
                     "Folders\\AppData",
                     appData);
  const std::string candidate = appData + "\\Sonela";
  const std::string windows = WindowsDirectory();
  if (!FileExists(ToLinuxPath(candidate + "\\Sonela.ini")) &&
      FileExists(ToLinuxPath(windows + "\\Sonela.ini"))) {
    return windows;
  }
  return candidate;
}

}  // namespace mg
