// Building the image tree from the disk: every node is added by hand (no libisofs
// directory import), so that each file's content comes through the checked stream of
// filestream.c and links are followed by the rules of sourcetree.h.
//
// Joliet names are UTF-16, made by libisofs from the node's name taken as UTF-8; a name
// whose bytes are not UTF-8 would lose characters there. Such an entry is recorded
// twice: under its own bytes for Rock Ridge (hidden from Joliet), and under the bytes
// read as cp1252 for Joliet (hidden from Rock Ridge). Both share one content stream, so
// the data is on the disc once.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "common/cp1252.h"
#include "recording/discfailure.h"
#include "recording/filestream.h"
#include "recording/imagestate.h"
#include "recording/libraries.h"

namespace mg::burnlib {
namespace {

[[noreturn]] void FailDisk(const std::string& path, const std::string& shown, const char* what,
                           int err) {
  throw DiscFailure(path + ": " + what + " (" + std::strerror(err) + ")", CannotReadSentence(shown),
                    shown);
}

bool IsUtf8(const std::string& name) {
  for (size_t pos = 0; pos < name.size();) {
    const size_t before = pos;
    // Malformed bytes decode as U+FFFD; a U+FFFD written out in UTF-8 is fine.
    if (DecodeUtf8(name, pos) == U'\uFFFD' && name.compare(before, 3, "\xef\xbf\xbd") != 0) {
      return false;
    }
  }
  return true;
}

std::string JolietName(const std::string& name) { return IsUtf8(name) ? name : Cp1252ToUtf8(name); }

// One node to make under each target: (target, name, the new node's trees).
struct Placement {
  const Target* target;
  std::string name;
  Trees trees;
};

std::vector<Placement> Place(const std::vector<Target>& targets, const std::string& name) {
  std::vector<Placement> out;
  const bool utf8 = IsUtf8(name);
  for (const Target& t : targets) {
    if (t.trees == Trees::Both && !utf8) {
      out.push_back({&t, name, Trees::RockRidgeOnly});
      out.push_back({&t, Cp1252ToUtf8(name), Trees::JolietOnly});
    } else if (t.trees == Trees::JolietOnly) {
      out.push_back({&t, JolietName(name), Trees::JolietOnly});
    } else {
      out.push_back({&t, name, t.trees});
    }
  }
  return out;
}

// Hides a new node from the trees it does not belong to (its parent hides it already
// when the parent belongs to one tree only).
void Hide(IsoNode* node, const Placement& p) {
  if (p.target->trees != Trees::Both) return;
  if (p.trees == Trees::RockRidgeOnly) iso_node_set_hidden(node, LIBISO_HIDE_ON_JOLIET);
  if (p.trees == Trees::JolietOnly)
    iso_node_set_hidden(node, LIBISO_HIDE_ON_RR | LIBISO_HIDE_ON_1999);
}

std::string ChildPath(const Target& t, const std::string& name) {
  return t.imagePath.empty() ? name : t.imagePath + "/" + name;
}

// A Joliet twin whose name is taken already (the cp1252 reading of one name equals
// another name of the folder) is left out: the Rock Ridge node then shows in Joliet too.
bool TwinClash(int r, const Placement& p) {
  return r == static_cast<int>(ISO_NODE_NAME_NOT_UNIQUE) && p.trees == Trees::JolietOnly &&
         p.target->trees == Trees::Both;
}

void Unhide(const std::vector<Placement>& places, const std::vector<IsoNode*>& made) {
  for (size_t i = 0; i < places.size(); ++i) {
    if (made[i] && places[i].trees == Trees::RockRidgeOnly &&
        places[i].target->trees == Trees::Both)
      iso_node_set_hidden(made[i], 0);
  }
}

std::string ResolvedPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string out = real;
  std::free(real);
  return out;
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

ImageVisitor::ImageVisitor(ImageState& image, IsoDir* parent) : image_(image) {
  levels_.push_back({Target{parent, Trees::Both, ""}});
}

void ImageVisitor::AddFile(const std::string& name, const std::string& absolutePath,
                           const std::string& shown, int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) FailDisk(absolutePath, shown, "não foi possível ler o arquivo", errno);
  if (!S_ISREG(st.st_mode)) {
    throw DiscFailure(absolutePath + ": não é um arquivo comum", CannotReadSentence(shown), shown);
  }
  if (image_.IsTarget(st)) return;
  IsoStream* stream = nullptr;
  int r = mg_file_stream_new(absolutePath.c_str(), fd, &stream);
  if (r < 0) FailIso(absolutePath, r);
  const std::vector<Placement> places = Place(levels_.back(), name);
  std::vector<IsoNode*> made(places.size(), nullptr);
  for (size_t i = 0; i < places.size(); ++i) {
    const Placement& p = places[i];
    IsoFile* file = nullptr;
    iso_stream_ref(stream);
    r = iso_tree_add_new_file(p.target->dir, p.name.c_str(), stream, &file);
    if (r < 0) {
      iso_stream_unref(stream);
      if (TwinClash(r, p)) {
        Unhide(places, made);
        continue;
      }
      iso_stream_unref(stream);
      FailIso(absolutePath, r);
    }
    made[i] = reinterpret_cast<IsoNode*>(file);
    CopyAttributes(made[i], st);
    Hide(made[i], p);
    if (p.trees != Trees::JolietOnly) {
      image_.files.push_back({ChildPath(*p.target, p.name), absolutePath});
    }
  }
  iso_stream_unref(stream);
}

void ImageVisitor::File(const SourceEntry& entry) {
  // O_NONBLOCK: whatever took the file's place meanwhile must not block. A file that is
  // no link is opened without following one, so that a swap cannot lead out of the tree.
  const std::string path = entry.viaLink ? ResolvedPath(entry.path) : entry.path;
  const int fd =
      open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (entry.viaLink ? 0 : O_NOFOLLOW));
  if (fd < 0) FailDisk(entry.path, entry.shown, "não foi possível ler o arquivo", errno);
  try {
    AddFile(entry.name, path, entry.shown, fd);
  } catch (...) {
    close(fd);
    throw;
  }
  close(fd);
}

void ImageVisitor::EnterFolder(const SourceEntry& entry) {
  const std::vector<Placement> places = Place(levels_.back(), entry.name);
  std::vector<IsoNode*> made(places.size(), nullptr);
  std::vector<Target> level;
  for (size_t i = 0; i < places.size(); ++i) {
    const Placement& p = places[i];
    IsoDir* dir = nullptr;
    const int r = iso_tree_add_new_dir(p.target->dir, p.name.c_str(), &dir);
    if (r < 0) {
      if (TwinClash(r, p)) {
        Unhide(places, made);
        continue;
      }
      FailIso(entry.path, r);
    }
    made[i] = reinterpret_cast<IsoNode*>(dir);
    CopyAttributes(made[i], entry.st);
    Hide(made[i], p);
    level.push_back({dir, p.trees, ChildPath(*p.target, p.name)});
  }
  levels_.push_back(std::move(level));
}

void ImageVisitor::LeaveFolder() { levels_.pop_back(); }

void ImageVisitor::Special(const SourceEntry& entry) {
  for (const Target& t : levels_.back()) {
    if (t.trees == Trees::JolietOnly) continue;  // Joliet holds no special files
    IsoSpecial* special = nullptr;
    const int r = iso_tree_add_new_special(t.dir, entry.name.c_str(), entry.st.st_mode,
                                           entry.st.st_rdev, &special);
    if (r < 0) FailIso(entry.path, r);
    CopyAttributes(reinterpret_cast<IsoNode*>(special), entry.st);
  }
}

void ImageVisitor::Cut(const SourceEntry& entry) {
  std::cerr << "minigravador: " << entry.path
            << ": link não seguido (pasta já gravada ou arquivo especial)\n";
}

}  // namespace mg::burnlib
