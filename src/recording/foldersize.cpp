#include "recording/foldersize.h"

#include "recording/discfailure.h"
#include "recording/sourcetree.h"

namespace mg {
namespace {

constexpr int64_t kSector = 2048;
constexpr int64_t kMegabyte = 1024 * 1024;
// System area, volume descriptors and path tables.
constexpr int64_t kFixedSectors = 40;
// Directory records of one entry in the Rock Ridge and the Joliet trees together.
constexpr int64_t kRecordBytes = 256;

class SizeVisitor : public SourceVisitor {
 public:
  void File(const SourceEntry& entry) override {
    const int64_t size = entry.st.st_size < 0 ? 0 : entry.st.st_size;
    sectors_ += (size + kSector - 1) / kSector;
    ++entries_;
  }
  void EnterFolder(const SourceEntry&) override {
    // At least one sector of records in each tree.
    sectors_ += 2;
    ++entries_;
  }
  void LeaveFolder() override {}
  int64_t Bytes() const {
    const int64_t records = (entries_ * kRecordBytes + kSector - 1) / kSector;
    return (kFixedSectors + 2 + sectors_ + records) * kSector;
  }

 private:
  int64_t sectors_ = 0;
  int64_t entries_ = 0;
};

}  // namespace

int64_t EstimateImageBytes(const SourceListing& listing) {
  SourceWalker walker(listing.folders);
  SizeVisitor visitor;
  try {
    for (const std::string& name : listing.entries) walker.Walk(name, name, name, visitor);
  } catch (const DiscFailure&) {
    return -1;
  }
  return visitor.Bytes();
}

std::string SizeSentence(int64_t imageBytes) {
  const int64_t mb = imageBytes <= 0 ? 0 : (imageBytes + kMegabyte - 1) / kMegabyte;
  std::string s = std::to_string(mb) + (mb == 1 ? " megabyte; " : " megabytes; ");
  if (imageBytes <= kCdBytes) return s + "cabe em um CD";
  if (imageBytes <= kDvdBytes) return s + "cabe num DVD";
  return s + "\xe9 maior que um DVD";
}

}  // namespace mg
