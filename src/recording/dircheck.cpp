#include "recording/dircheck.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/cp1252.h"
#include "common/paths.h"

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
    if (S_ISDIR(st.st_mode)) {
      if (faccessat(dirfd(dir), name, R_OK | X_OK, AT_EACCESS) != 0) continue;
      ++listing.directories;
    } else if (S_ISREG(st.st_mode)) {
      if (faccessat(dirfd(dir), name, R_OK, AT_EACCESS) != 0) continue;
      ++listing.files;
    } else if (S_ISLNK(st.st_mode)) {
      ++listing.files;
    } else {
      continue;
    }
    listing.entries.emplace_back(name);
  }
  closedir(dir);
  return err == 0;
}

std::string ListingSummary(const SourceListing& listing) {
  return std::to_string(listing.files) + " arquivos, " + std::to_string(listing.directories) +
         " diret\xf3rios";
}

}  // namespace mg
