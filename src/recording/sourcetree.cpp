#include "recording/sourcetree.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "recording/discfailure.h"

namespace mg {
namespace {

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

[[noreturn]] void CannotRead(const std::string& path, const std::string& shown, const char* what,
                             int err) {
  std::string text = path + ": " + what;
  if (err != 0) text += std::string(" (") + std::strerror(err) + ")";
  throw DiscFailure(text, CannotReadSentence(shown), shown);
}

void CollectOwn(const std::string& path, FolderSet& out) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  if (!out.insert(FolderIdOf(st)).second) return;  // a bind mount seen twice
  std::vector<std::string> names;
  try {
    names = ReadFolderNames(path, path);
  } catch (const DiscFailure&) {
    return;
  }
  for (const std::string& n : names) CollectOwn(Join(path, n), out);
}

}  // namespace

std::vector<std::string> ReadFolderNames(const std::string& path, const std::string& shown) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) CannotRead(path, shown, "não foi possível ler a pasta", errno);
  DIR* dir = fdopendir(fd);
  if (!dir) {
    const int err = errno;
    close(fd);
    CannotRead(path, shown, "não foi possível ler a pasta", err);
  }
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* e = readdir(dir)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
      names.emplace_back(e->d_name);
    }
    errno = 0;
  }
  const int err = errno;
  closedir(dir);
  if (err != 0) CannotRead(path, shown, "não foi possível ler a pasta", err);
  return names;
}

FolderSet OwnFolders(const std::vector<std::string>& entries) {
  FolderSet out;
  for (const std::string& e : entries) CollectOwn(e, out);
  return out;
}

void SourceWalker::Walk(const std::string& path, const std::string& shown, const std::string& name,
                        SourceVisitor& visitor) {
  SourceEntry entry;
  entry.path = path;
  entry.shown = shown;
  entry.name = name;
  if (lstat(path.c_str(), &entry.st) != 0) CannotRead(path, shown, "não existe mais", errno);
  if (S_ISLNK(entry.st.st_mode)) {
    entry.viaLink = true;
    if (stat(path.c_str(), &entry.st) != 0) {
      CannotRead(path, shown, "o link não leva a nada", errno);
    }
    if (S_ISDIR(entry.st.st_mode)) {
      const FolderId id = FolderIdOf(entry.st);
      if (own_.count(id) != 0 || entered_.count(id) != 0) {
        visitor.Cut(entry);
        return;
      }
    } else if (!S_ISREG(entry.st.st_mode)) {
      // A link to a device or FIFO: what it would give is not a file's content.
      visitor.Cut(entry);
      return;
    }
  }
  if (S_ISDIR(entry.st.st_mode)) {
    Folder(entry, visitor);
  } else if (S_ISREG(entry.st.st_mode)) {
    if (faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) != 0) {
      CannotRead(path, shown, "não foi possível ler o arquivo", errno);
    }
    visitor.File(entry);
  } else {
    visitor.Special(entry);
  }
}

void SourceWalker::Folder(SourceEntry& entry, SourceVisitor& visitor) {
  // A folder reached twice (a bind mount inside the tree) is recorded once.
  if (!entered_.insert(FolderIdOf(entry.st)).second) {
    visitor.Cut(entry);
    return;
  }
  // Read first: an unreadable folder fails before anything of it is recorded.
  const std::vector<std::string> names = ReadFolderNames(entry.path, entry.shown);
  visitor.EnterFolder(entry);
  for (const std::string& n : names) {
    Walk(Join(entry.path, n), Join(entry.shown, n), n, visitor);
  }
  visitor.LeaveFolder();
}

}  // namespace mg
