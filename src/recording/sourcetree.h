// Walking the source tree the way the burn records it. Symbolic links are followed as
// the platform's mastering service follows them: a link to a file stands for the file's
// content, a link to a folder for the folder's tree. Each folder is recorded once: a
// link to a folder that is recorded at its own place in the tree, or that was reached
// already (which includes every folder above the link), is cut, so that loops end. An
// entry that cannot be read, and a link that leads nowhere, stop the walk.
#pragma once

#include <sys/stat.h>

#include <compare>
#include <set>
#include <string>
#include <vector>

namespace mg {

struct FolderId {
  dev_t dev = 0;
  ino_t ino = 0;
  auto operator<=>(const FolderId&) const = default;
};
using FolderSet = std::set<FolderId>;

inline FolderId FolderIdOf(const struct stat& st) { return FolderId{st.st_dev, st.st_ino}; }

// One entry met on the walk.
struct SourceEntry {
  std::string path;   // on disk: absolute, or relative to the current directory
  std::string shown;  // relative to the source directory, as the user knows it
  std::string name;   // the name it is recorded under
  struct stat st {};  // of the entry, or of what its link leads to
  bool viaLink = false;
};

class SourceVisitor {
 public:
  virtual ~SourceVisitor() = default;
  virtual void File(const SourceEntry& entry) = 0;
  virtual void EnterFolder(const SourceEntry& entry) = 0;
  virtual void LeaveFolder() = 0;
  // A device, FIFO or socket inside a folder (never followed through a link).
  virtual void Special(const SourceEntry& entry) { (void)entry; }
  // A link to a folder that is recorded elsewhere.
  virtual void Cut(const SourceEntry& entry) { (void)entry; }
};

class SourceWalker {
 public:
  // `ownFolders`: the folders of the tree at their own places (OwnFolders below).
  explicit SourceWalker(FolderSet ownFolders = {}) : own_(std::move(ownFolders)) {}
  // Walks the entry at `path` (shown to the user as `shown`, recorded as `name`) with
  // everything below it. Throws DiscFailure, spoken "Não é possível ler: <shown>", for
  // the first entry that cannot be read or link that leads nowhere.
  void Walk(const std::string& path, const std::string& shown, const std::string& name,
            SourceVisitor& visitor);

 private:
  void Folder(SourceEntry& entry, SourceVisitor& visitor);
  FolderSet own_;
  FolderSet entered_;
};

// The folders below the given entries of the current directory, links not followed
// (the entries themselves included when they are folders). Folders that cannot be read
// are looked into no further: the walk fails on them anyway.
FolderSet OwnFolders(const std::vector<std::string>& entries);

// The folder names of a directory in the order the listing gives them, "." and ".."
// left out. Throws DiscFailure (spoken as above) when it cannot be read whole.
std::vector<std::string> ReadFolderNames(const std::string& path, const std::string& shown);

}  // namespace mg
