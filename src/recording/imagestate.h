// What the image builder's handles share: the libisofs image and its finished output.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>

#include "recording/burnlib.h"

namespace mg {

struct ImageState {
  IsoImage* image = nullptr;
  // The image file being written to, when it already exists: a tree that holds it
  // leaves it out (the disc cannot hold itself, and reading it while it is replaced
  // would fail every burn of that tree).
  bool excludeTarget = false;
  dev_t targetDev = 0;
  ino_t targetIno = 0;
  bool IsTarget(const struct stat& st) const {
    return excludeTarget && st.st_dev == targetDev && st.st_ino == targetIno;
  }
  ~ImageState();
};

// The finished image. Its generator (which reads the files) starts only when the image
// is written, so that the files are read while the burn runs, not before.
struct ImageOutput {
  IsoWriteOpts* opts = nullptr;
  ::burn_source* source = nullptr;  // libisofs' generator, read by libburn
  int64_t size = 0;
  bool consumed = false;  // handed to a burn already
  std::shared_ptr<ImageState> image;
  ~ImageOutput();
};

namespace burnlib {

// Starts the generator of a finished image; throws DiscFailure.
void StartImageGenerator(ImageOutput& out);

// Owner, permissions and times of a file on disk onto an image node.
void CopyAttributes(IsoNode* node, const struct stat& st);

// Adds the disk object at `diskPath` to `parent` under `name`: a directory with its
// whole tree, a regular file, a symbolic link as a link, anything else as a special
// file. Throws DiscFailure naming the path of the first entry that cannot be read.
void AddDiskNode(const ImageState& image, IsoDir* parent, const std::string& diskPath,
                 const std::string& name);

// Adds every entry of the directory `diskPath` to `parent`.
void AddDirectoryContents(const ImageState& image, IsoDir* parent, const std::string& diskPath);

// Adds a regular file opened read-only as `fd` (path absolute) under `name` (nothing
// when it is the image file being written).
void AddFileNode(const ImageState& image, IsoDir* parent, const std::string& name,
                 const std::string& absolutePath, int fd);

}  // namespace burnlib
}  // namespace mg
