// Building the image tree from the disk: every node is added by hand (no libisofs
// directory import), so that each file's content comes through the checked stream of
// filestream.c and symbolic links are never followed.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "recording/discfailure.h"
#include "recording/filestream.h"
#include "recording/imagestate.h"
#include "recording/libraries.h"

namespace mg::burnlib {
namespace {

[[noreturn]] void FailDisk(const std::string& path, const char* what, int err) {
  throw DiscFailure(path + ": " + what + " (" + std::strerror(err) + ")");
}

std::string Join(const std::string& dir, const std::string& name) {
  if (!dir.empty() && dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

// The names in a directory, read whole before anything is added so that deep trees
// keep only one directory open at a time.
std::vector<std::string> ReadNames(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) FailDisk(path, "não foi possível ler a pasta", errno);
  DIR* dir = fdopendir(fd);
  if (!dir) {
    const int err = errno;
    close(fd);
    FailDisk(path, "não foi possível ler a pasta", err);
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
  if (err != 0) FailDisk(path, "não foi possível ler a pasta", err);
  return names;
}

void AddDirectory(const ImageState& image, IsoDir* parent, const std::string& path,
                  const std::string& name, const struct stat& st) {
  // Read first: an unreadable folder fails before anything of it reaches the image.
  const std::vector<std::string> names = ReadNames(path);
  IsoDir* dir = nullptr;
  const int r = iso_tree_add_new_dir(parent, name.c_str(), &dir);
  if (r < 0) FailIso(path, r);
  CopyAttributes(reinterpret_cast<IsoNode*>(dir), st);
  for (const std::string& n : names) AddDiskNode(image, dir, Join(path, n), n);
}

void AddSymlink(IsoDir* parent, const std::string& path, const std::string& name,
                const struct stat& st) {
  std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 2);
  const ssize_t n = readlink(path.c_str(), target.data(), target.size() - 1);
  if (n < 0) FailDisk(path, "não foi possível ler o link", errno);
  if (static_cast<size_t>(n) >= target.size() - 1) {
    throw DiscFailure(path + ": o link mudou durante a leitura");
  }
  target[static_cast<size_t>(n)] = '\0';
  IsoSymlink* link = nullptr;
  const int r = iso_tree_add_new_symlink(parent, name.c_str(), target.data(), &link);
  if (r < 0) FailIso(path, r);
  CopyAttributes(reinterpret_cast<IsoNode*>(link), st);
}

}  // namespace

void CopyAttributes(IsoNode* node, const struct stat& st) {
  iso_node_set_permissions(node, st.st_mode & 07777);
  iso_node_set_uid(node, st.st_uid);
  iso_node_set_gid(node, st.st_gid);
  iso_node_set_mtime(node, st.st_mtime);
  iso_node_set_atime(node, st.st_atime);
  iso_node_set_ctime(node, st.st_ctime);
}

void AddFileNode(const ImageState& image, IsoDir* parent, const std::string& name,
                 const std::string& absolutePath, int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) FailDisk(absolutePath, "não foi possível ler o arquivo", errno);
  if (!S_ISREG(st.st_mode)) throw DiscFailure(absolutePath + ": não é um arquivo comum");
  if (image.IsTarget(st)) return;
  IsoStream* stream = nullptr;
  int r = mg_file_stream_new(absolutePath.c_str(), fd, &stream);
  if (r < 0) FailIso(absolutePath, r);
  IsoFile* file = nullptr;
  r = iso_tree_add_new_file(parent, name.c_str(), stream, &file);
  if (r < 0) {
    iso_stream_unref(stream);
    FailIso(absolutePath, r);
  }
  CopyAttributes(reinterpret_cast<IsoNode*>(file), st);
}

void AddDiskNode(const ImageState& image, IsoDir* parent, const std::string& diskPath,
                 const std::string& name) {
  struct stat st {};
  if (lstat(diskPath.c_str(), &st) != 0) FailDisk(diskPath, "não foi possível ler", errno);
  if (S_ISDIR(st.st_mode)) {
    AddDirectory(image, parent, diskPath, name, st);
  } else if (S_ISLNK(st.st_mode)) {
    AddSymlink(parent, diskPath, name, st);
  } else if (S_ISREG(st.st_mode)) {
    // O_NONBLOCK and O_NOFOLLOW: whatever took the file's place meanwhile must neither
    // block nor lead out of the tree.
    const int fd = open(diskPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) FailDisk(diskPath, "não foi possível ler o arquivo", errno);
    try {
      AddFileNode(image, parent, name, diskPath, fd);
    } catch (...) {
      close(fd);
      throw;
    }
    close(fd);
  } else {
    IsoSpecial* special = nullptr;
    const int r = iso_tree_add_new_special(parent, name.c_str(), st.st_mode, st.st_rdev, &special);
    if (r < 0) FailIso(diskPath, r);
    CopyAttributes(reinterpret_cast<IsoNode*>(special), st);
  }
}

void AddDirectoryContents(const ImageState& image, IsoDir* parent, const std::string& diskPath) {
  for (const std::string& n : ReadNames(diskPath)) AddDiskNode(image, parent, Join(diskPath, n), n);
}

}  // namespace mg::burnlib
