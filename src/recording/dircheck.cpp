#include "recording/dircheck.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/cp1252.h"
#include "common/paths.h"
#include "recording/discfailure.h"

namespace mg {

std::string SourcePathForKernel(std::string_view typedCp1252) {
  std::string path = Cp1252ToUtf8(typedCp1252);
  if (path == "~" || path.rfind("~/", 0) == 0) path = HomeDirectory() + path.substr(1);
  return path;
}

bool ListSourceDirectory(std::string_view typedCp1252, SourceListing& listing) {
  const std::string path = SourcePathForKernel(typedCp1252);
  if (path.empty()) return false;
  // Opened before entering, so that a directory that can be entered but not read
  // fails here instead of passing for an empty one.
  DIR* dir = opendir(path.c_str());
  if (!dir) return false;
  if (fchdir(dirfd(dir)) != 0) {
    closedir(dir);
    return false;
  }
  listing = SourceListing{};
  int err = 0;
  for (;;) {
    errno = 0;
    const dirent* e = readdir(dir);
    if (!e) {
      err = errno;
      break;
    }
    const char* name = e->d_name;
    if (name[0] == '.') continue;  // ".", ".." and hidden entries
    struct stat st {};
    if (fstatat(dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // vanished
    // A link counts as what it leads to; one that leads nowhere as a file (the tree
    // check then stops the run on it).
    if (S_ISLNK(st.st_mode) && fstatat(dirfd(dir), name, &st, 0) != 0) st.st_mode = S_IFREG;
    if (S_ISDIR(st.st_mode)) {
      ++listing.directories;
    } else if (S_ISREG(st.st_mode)) {
      ++listing.files;
    } else {
      continue;
    }
    listing.entries.emplace_back(name);
  }
  closedir(dir);
  return err == 0;
}

namespace {

// Only looks: whatever can be walked can be recorded.
class CheckVisitor : public SourceVisitor {
 public:
  void File(const SourceEntry&) override {}
  void EnterFolder(const SourceEntry&) override {}
  void LeaveFolder() override {}
};

}  // namespace

bool CheckSourceTree(SourceListing& listing) {
  listing.folders = OwnFolders(listing.entries);
  // The source directory itself: a link back to it is a link to an ancestor.
  struct stat self {};
  if (stat(".", &self) == 0) listing.folders.insert(FolderIdOf(self));
  listing.unreadable.clear();
  SourceWalker walker(listing.folders);
  CheckVisitor visitor;
  for (const std::string& name : listing.entries) {
    try {
      walker.Walk(name, name, name, visitor);
    } catch (const DiscFailure& e) {
      listing.unreadable = e.Entry();
      return false;
    }
  }
  return true;
}

std::string ListingSummary(const SourceListing& listing) {
  return std::to_string(listing.files) + " arquivos, " + std::to_string(listing.directories) +
         " diret\xf3rios";
}

}  // namespace mg
