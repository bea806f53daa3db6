#include "paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <vector>

#include "cp1252.h"

namespace mg {
namespace {

std::array<std::string, 26>& DriveRoots() {
  static std::array<std::string, 26> roots;
  return roots;
}

std::string ReadExeLink() {
  std::string buf(PATH_MAX, '\0');
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  buf.resize(static_cast<size_t>(n));
  return buf;
}

// Collapses "a/b/../c" to "a/c" so that the Windows directory reads cleanly.
std::string Normalise(const std::string& p) {
  std::string out;
  size_t i = 0;
  std::vector<std::string> stack;
  const bool absolute = !p.empty() && p[0] == '/';
  while (i <= p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string part = p.substr(i, j - i);
    if (part == "..") {
      if (!stack.empty() && stack.back() != "..") {
        stack.pop_back();
      } else if (!absolute) {
        stack.push_back(part);
      }
    } else if (!part.empty() && part != ".") {
      stack.push_back(part);
    }
    i = j + 1;
  }
  for (const auto& s : stack) out += "/" + s;
  if (out.empty()) return absolute ? "/" : ".";
  return absolute ? out : out.substr(1);
}

}  // namespace

void SetDriveRoot(char letter, std::string root) {
  const int c = std::toupper(static_cast<unsigned char>(letter));
  if (c < 'A' || c > 'Z') return;
  DriveRoots()[c - 'A'] = std::move(root);
}

std::string HomeDirectory() {
  if (const char* h = std::getenv("HOME"); h && *h) return h;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string ToLinuxPath(std::string_view path) {
  std::string p = Cp1252ToUtf8(path);
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
    // Built by appending only: assigning a literal to the copied root here trips GCC 12's
    // -Wrestrict false positive inside libstdc++ at -O3.
    const std::string& mapped = DriveRoots()[std::toupper(static_cast<unsigned char>(p[0])) - 'A'];
    std::string out;
    out.reserve(mapped.size() + p.size());
    out.append(mapped);
    if (out.empty() || out.back() != '/') out.push_back('/');
    const size_t rest = p.find_first_not_of('/', 2);
    if (rest != std::string::npos) out.append(p, rest, std::string::npos);
    return out;
  }
  if (!p.empty() && p[0] == '~' && (p.size() == 1 || p[1] == '/')) {
    return HomeDirectory() + p.substr(1);
  }
  return p;
}

std::string ProgramPath() { return Utf8ToCp1252(ReadExeLink()); }

std::string ProgramDirectory() {
  const std::string p = ProgramPath();
  const size_t slash = p.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : p.substr(0, slash);
}

std::string& WindowsDirectoryOverride() {
  static std::string dir;
  return dir;
}

void SetWindowsDirectory(std::string dir) { WindowsDirectoryOverride() = std::move(dir); }

std::string WindowsDirectoryFor(const std::string& programDir) {
  const std::string prefix = Normalise(programDir + "/..");
  if (prefix == "/usr") return "/etc/minigravador";
  const auto holdsIni = [](const std::string& dir) { return FileExists(dir + "/Sonela.ini"); };
  const std::string own = (prefix == "/" ? "" : prefix) + "/etc/minigravador";
  if (holdsIni(own)) return own;
  if (prefix.size() > 4 && prefix.ends_with("/usr")) {
    const std::string rooted = prefix.substr(0, prefix.size() - 4) + "/etc/minigravador";
    if (holdsIni(rooted)) return rooted;
  }
  const std::string buildTree = prefix + "/etc";
  if (holdsIni(buildTree)) return buildTree;
  return own;
}

std::string WindowsDirectory() {
  if (!WindowsDirectoryOverride().empty()) return WindowsDirectoryOverride();
  return Utf8ToCp1252(WindowsDirectoryFor(Cp1252ToUtf8(ProgramDirectory())));
}

bool FileExists(std::string_view linuxPath) {
  struct stat st {};
  return stat(std::string(linuxPath).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view linuxPath) {
  struct stat st {};
  return stat(std::string(linuxPath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace mg
