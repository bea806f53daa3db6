// What the image builder's handles share: the libisofs image and its finished output.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "recording/burnlib.h"
#include "recording/sourcetree.h"

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
  // Follows the links of every tree added, so that each folder is recorded once.
  SourceWalker walker;
  // Every regular file in the Rock Ridge tree, for the verification after writing.
  struct RecordedFile {
    std::string imagePath;   // from the root, without a leading slash
    std::string sourcePath;  // absolute
  };
  std::vector<RecordedFile> files;
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

// Which of the image's trees a directory of the image shows in, and the directory.
enum class Trees { Both, RockRidgeOnly, JolietOnly };
struct Target {
  IsoDir* dir;
  Trees trees;
  std::string imagePath;  // Rock Ridge path from the root, "" for the root
};

// Adds what the source walker meets to a directory of the image (treewalk.cpp).
class ImageVisitor : public SourceVisitor {
 public:
  ImageVisitor(ImageState& image, IsoDir* parent);
  void File(const SourceEntry& entry) override;
  void EnterFolder(const SourceEntry& entry) override;
  void LeaveFolder() override;
  void Special(const SourceEntry& entry) override;
  void Cut(const SourceEntry& entry) override;
  // Adds the regular file opened read-only as `fd` (path absolute) under `name`
  // (nothing when it is the image file being written).
  void AddFile(const std::string& name, const std::string& absolutePath, const std::string& shown,
               int fd);

 private:
  ImageState& image_;
  std::vector<std::vector<Target>> levels_;  // the directories of each depth
};

}  // namespace burnlib
}  // namespace mg
