// Helpers of the recording tests: temporary trees, an independent image reader
// (xorriso) and tree comparison.
#pragma once

#include <string>
#include <vector>

namespace mg::test {

// A fresh directory under $TMPDIR (mode 0755), removed with its contents at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

bool FileExistsForTest(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
void MakeDir(const std::string& path, int mode = 0755);
// Deterministic pseudo-random bytes.
std::string PatternBytes(size_t size, unsigned seed);

// Runs a shell command; returns its exit status (-1 when it did not exit normally).
int Run(const std::string& command);

// Extracts the image with xorriso into `out`: the Rock Ridge tree, or the Joliet tree
// when `joliet` is set. Returns false when xorriso failed.
bool ExtractImage(const std::string& image, const std::string& out, bool joliet);
// xorriso's report of the primary volume descriptor ("Volume Id : ...").
std::string VolumeInfo(const std::string& image);

// Compares two trees: names, types, file contents, link targets. With `contentOnly`
// (Joliet) links are not expected in `actual`. Returns the differences, one a line.
std::string CompareTrees(const std::string& expected, const std::string& actual,
                         bool contentOnly = false);
// Every regular file below `dir` (relative paths), sorted.
std::vector<std::string> ListFiles(const std::string& dir);

// While alive, the process runs with the user and group "nobody" when it was root, so
// that permissions take effect. Unprivileged() tells whether that worked or applied.
class Unprivileged {
 public:
  Unprivileged();
  ~Unprivileged();
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
  bool switched_ = false;
};

}  // namespace mg::test
