#include "testutil.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace mg::test {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/mgrec.XXXXXX";
  if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp");
  chmod(templ.c_str(), 0755);
  path_ = templ;
}

TempDir::~TempDir() { Run("chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'"); }

bool FileExistsForTest(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void MakeDir(const std::string& path, int mode) {
  if (mkdir(path.c_str(), static_cast<mode_t>(mode)) != 0) {
    throw std::runtime_error("mkdir " + path);
  }
  chmod(path.c_str(), static_cast<mode_t>(mode));
}

std::string PatternBytes(size_t size, unsigned seed) {
  std::string s(size, '\0');
  unsigned x = seed * 2654435761u + 1;
  for (char& c : s) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 16);
  }
  return s;
}

int Run(const std::string& command) {
  const int st = std::system(command.c_str());
  if (st == -1 || !WIFEXITED(st)) return -1;
  return WEXITSTATUS(st);
}

bool ExtractImage(const std::string& image, const std::string& out, bool joliet) {
  const std::string cmd = "LC_ALL=C.UTF-8 xorriso -abort_on FAILURE -indev '" + image + "'" +
                          (joliet ? " -read_fs norock" : "") + " -osirrox on -extract / '" + out +
                          "' >/dev/null 2>&1";
  return Run(cmd) == 0;
}

std::string VolumeInfo(const std::string& image) {
  char name[] = "/tmp/mgrec-pvd.XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) return {};
  close(fd);
  Run("LC_ALL=C.UTF-8 xorriso -indev '" + image + "' -pvd_info > '" + name + "' 2>&1");
  std::string text = ReadFile(name);
  unlink(name);
  return text;
}

namespace {

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (const dirent* e = readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void Compare(const std::string& e, const std::string& a, const std::string& rel, bool contentOnly,
             std::string& diff) {
  std::vector<std::string> en = Names(e), an = Names(a);
  if (contentOnly) {
    // Joliet holds no links or special files.
    std::erase_if(en, [&](const std::string& n) {
      struct stat st {};
      return lstat((e + "/" + n).c_str(), &st) != 0 ||
             !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode));
    });
  }
  if (en != an) {
    diff += rel + ": names differ: expected";
    for (auto& n : en) diff += " [" + n + "]";
    diff += " got";
    for (auto& n : an) diff += " [" + n + "]";
    diff += "\n";
    return;
  }
  for (const std::string& n : en) {
    const std::string ep = e + "/" + n, ap = a + "/" + n, r = rel + "/" + n;
    struct stat es {
    }, as{};
    lstat(ep.c_str(), &es);
    lstat(ap.c_str(), &as);
    if ((es.st_mode & S_IFMT) != (as.st_mode & S_IFMT)) {
      diff += r + ": type differs\n";
    } else if (S_ISDIR(es.st_mode)) {
      Compare(ep, ap, r, contentOnly, diff);
    } else if (S_ISREG(es.st_mode)) {
      if (ReadFile(ep) != ReadFile(ap)) diff += r + ": content differs\n";
    } else if (S_ISLNK(es.st_mode)) {
      char t1[4096] = {}, t2[4096] = {};
      if (readlink(ep.c_str(), t1, sizeof t1 - 1) < 0 ||
          readlink(ap.c_str(), t2, sizeof t2 - 1) < 0 || std::string(t1) != t2) {
        diff += r + ": link target differs\n";
      }
    }
  }
}

void Collect(const std::string& dir, const std::string& rel, std::vector<std::string>& out) {
  for (const std::string& n : Names(dir)) {
    struct stat st {};
    const std::string p = dir + "/" + n;
    if (lstat(p.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) Collect(p, rel + n + "/", out);
    if (S_ISREG(st.st_mode)) out.push_back(rel + n);
  }
}

}  // namespace

std::string CompareTrees(const std::string& expected, const std::string& actual, bool contentOnly) {
  std::string diff;
  Compare(expected, actual, "", contentOnly, diff);
  return diff;
}

std::vector<std::string> ListFiles(const std::string& dir) {
  std::vector<std::string> out;
  Collect(dir, "", out);
  std::sort(out.begin(), out.end());
  return out;
}

Unprivileged::Unprivileged() {
  if (geteuid() != 0) {
    ok_ = true;
    return;
  }
  if (setegid(65534) == 0 && seteuid(65534) == 0) {
    ok_ = switched_ = true;
  } else {
    setegid(0);
  }
}

Unprivileged::~Unprivileged() {
  if (switched_) {
    if (seteuid(0) != 0 || setegid(0) != 0) std::abort();
  }
}

}  // namespace mg::test
