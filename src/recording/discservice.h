// The disc-burning service the recording dialogue calls: thin handles over libburn and
// libisofs that keep the member names of the platform's disc-mastering service. Every
// failing status becomes a DiscFailure carrying the library's first message of severity
// SORRY or above. Main thread only; no window is needed.
//
// Addresses of recorders ("unique identifiers") are libburn's persistent drive addresses:
// a device file ("/dev/sr0") or "stdio:<path>" for an image file. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "recording/discfailure.h"
#include "recording/drivelayer.h"
#include "recording/sourcetree.h"

namespace mg {

// Vendor shown for the image-file recorder (its product is the file's name).
inline constexpr const char* kImageFileVendor = "Arquivo de imagem";

// The recorders there are: the optical drives (those libburn finds, and every
// <deviceDirectory>/srN device, so that a drive the user may not open is still listed),
// then the image file when one is configured.
class DiscMaster {
 public:
  explicit DiscMaster(std::string imageFile = {}, std::string deviceDirectory = "/dev");
  DiscMaster(const DiscMaster&) = delete;
  DiscMaster& operator=(const DiscMaster&) = delete;

  bool IsSupportedEnvironment();  // false when there is no recorder at all
  int Count();
  std::string Item(int index);  // DiscFailure when index is not in [0, Count)
  // Vendor and product of recorder `index` as the scan found them (no drive is grabbed);
  // false for a device the scan did not find (one the user may not open, or busy) and
  // for an image file that cannot be written (the reason goes to standard error).
  bool Describe(int index, std::string& vendor, std::string& product);
  void Release();  // the next use scans again

 private:
  void Scan();
  std::string imageFile_;
  std::string deviceDirectory_;
  bool scanned_ = false;
  std::vector<ScannedDrive> recorders_;  // vendor and product empty when not scanned
  std::vector<bool> described_;
};

// One recorder, grabbed for this program by InitializeDiscRecorder.
class DiscRecorder {
 public:
  DiscRecorder() = default;
  ~DiscRecorder();
  DiscRecorder(const DiscRecorder&) = delete;
  DiscRecorder& operator=(const DiscRecorder&) = delete;

  // Fails for a drive that cannot be opened and for an image file that cannot be
  // written (missing or read-only folder, a directory or non-regular file in its place).
  // A device the user may not read and write fails at once, before libburn's retries,
  // spoken kNoPermissionSentence; a busy drive is spoken as such.
  void InitializeDiscRecorder(const std::string& uniqueId);
  std::string VendorId() const;   // as libburn returns it; kImageFileVendor for an image file
  std::string ProductId() const;  // as libburn returns it; the file's name for an image file
  // Opens the tray; the recorder is released. A drive that libburn's worker has not
  // finished with (lost during a write) is kept, untouched, until the program exits.
  void EjectMedia();
  void Release();

  bool IsInitialized() const { return drive_ != nullptr; }
  bool IsImageFile() const { return !imagePath_.empty(); }
  const std::string& ImagePath() const { return imagePath_; }  // Linux path, or ""
  const std::string& UniqueId() const { return address_; }
  Drive& Device() const;  // DiscFailure when not initialized

 private:
  void Drop(bool eject);
  std::unique_ptr<Drive> drive_;
  std::string address_;
  std::string imagePath_;
};

// A read-only stream opened on one file (the platform's SHCreateStreamOnFileEx); a link
// is followed. Opening never throws: a stream that could not be opened makes AddFile
// fail.
class FileStream {
 public:
  FileStream() = default;
  explicit FileStream(const std::string& path);
  ~FileStream();
  FileStream(FileStream&& other) noexcept;
  FileStream& operator=(FileStream&& other) noexcept;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  int Error() const { return error_; }               // errno of a failed open
  const std::string& Path() const { return path_; }  // as given
  const std::string& AbsolutePath() const { return absolute_; }

 private:
  int fd_ = -1;
  int error_ = 0;
  std::string path_;
  std::string absolute_;
};

struct ImageState;
struct ImageOutput;

// A directory of the image being built.
class DirectoryItem {
 public:
  // Adds the directory at `path` with its whole tree: under its own name when
  // includeBaseDirectory is set, else its contents straight into this directory.
  // Links are followed by the rules of sourcetree.h; a tree holding anything that
  // cannot be read, or a link that leads nowhere, fails rather than leaving it out
  // (spoken "Não é possível ler: <path as given>/...").
  void AddTree(const std::string& path, bool includeBaseDirectory);
  // Adds the file behind `stream` under `name` (its file name part).
  void AddFile(const std::string& name, FileStream& stream);

 private:
  friend class ImageBuilder;
  DirectoryItem(std::shared_ptr<ImageState> image, void* dir) : image_(image), dir_(dir) {}
  std::shared_ptr<ImageState> image_;
  void* dir_;  // IsoDir*
};

// The finished image's data stream, consumed once by DataWriter::Write.
class DataStream {
 public:
  int64_t Size() const;  // bytes
  bool Consumed() const;

 private:
  friend class ImageResult;
  friend class DataWriter;
  explicit DataStream(std::shared_ptr<ImageOutput> out) : out_(std::move(out)) {}
  std::shared_ptr<ImageOutput> out_;
};

class ImageResult {
 public:
  DataStream ImageStream() const { return DataStream(out_); }
  int64_t TotalBlocks() const;  // of 2048 bytes

 private:
  friend class ImageBuilder;
  explicit ImageResult(std::shared_ptr<ImageOutput> out) : out_(std::move(out)) {}
  std::shared_ptr<ImageOutput> out_;
};

// The file-system image: ISO 9660 level 3 with Joliet (long names allowed) and Rock Ridge.
class ImageBuilder {
 public:
  ImageBuilder();
  ~ImageBuilder();
  ImageBuilder(const ImageBuilder&) = delete;
  ImageBuilder& operator=(const ImageBuilder&) = delete;

  // Takes the disc in the recorder into account: fails when there is no disc or it
  // cannot be written from its start, and notes its free space (for an image file: the
  // free space of its file system, plus the file's present size, since it is replaced).
  void ChooseImageDefaults(DiscRecorder& recorder);
  // The folders that are recorded at their own places (SourceListing::folders): links
  // to them are cut. Call before adding anything.
  void SourceFolders(FolderSet folders);
  void VolumeName(std::string_view name);
  // Whether the disc is a CD (the image then ends in kCdTailBlocks of padding).
  bool ForCd() const { return cd_; }
  std::string VolumeName() const;
  void ISO9660InterchangeLevel(int level);               // 1, 2 or 3 (the default)
  int64_t FreeMediaBytes() const { return freeBytes_; }  // -1 when not known
  DirectoryItem Root();
  // Builds the image (its generation starts at once and waits for the writer).
  ImageResult CreateResultImage();
  void Release();

 private:
  std::shared_ptr<ImageState> State();
  std::shared_ptr<ImageState> image_;
  std::string volumeName_;
  int level_ = 3;
  int64_t freeBytes_ = -1;
  bool cd_ = false;
};

// Blocks of padding after the image on CD media: a CD written track-at-once otherwise
// leaves its last file unreadable to Linux readers.
inline constexpr int kCdTailBlocks = 150;

// Whether a disc profile is a CD (CD-ROM, CD-R, CD-RW).
inline bool IsCdProfile(int profile) { return profile >= 0x08 && profile <= 0x0a; }

// Thrown by DataWriter::Write after CancelWrite: the write was stopped and an image file
// removed.
class WriteCancelled : public DiscFailure {
 public:
  WriteCancelled() : DiscFailure("gravação cancelada pelo usuário") {}
};

// "O diretório tem <image> megabytes e o disco <free>" (cp1252; megabytes of 2^20 bytes,
// the image's rounded up, the free space's rounded down, so that they never look equal).
std::string TooBigSentence(int64_t imageBytes, int64_t freeBytes);
// "A imagem tem <image> megabytes e o disco <free>", the same for an ISO image file.
std::string ImageTooBigSentence(int64_t imageBytes, int64_t freeBytes);

class DataWriter {
 public:
  DataWriter();
  void Recorder(DiscRecorder& recorder);
  void ClientName(std::string name) { clientName_ = std::move(name); }
  // Write speed in kilobytes (1000 bytes) per second; 0 (the default) is the drive's
  // fastest. An image file is written no faster than that either.
  void SetWriteSpeed(int kilobytesPerSecond) {
    speed_ = kilobytesPerSecond < 0 ? 0 : kilobytesPerSecond;
  }
  const std::string& ClientName() const { return clientName_; }
  // Called over and over while the burn and the verification run (default: a short
  // sleep); the dialogue lets the window service its messages here, and may call
  // Progress and CancelWrite from it.
  void SetPump(std::function<void()> pump) { pump_ = std::move(pump); }
  // Writes the image and returns when the drive is idle again. Fails when the image is
  // larger than the free space (nothing is written then; spoken TooBigSentence), when
  // anything went wrong while writing, and when any file of the image could not be read
  // exactly as it was added. An image file is replaced whole; one whose writing failed
  // is left empty. After CancelWrite: WriteCancelled, and an image file is removed.
  void Write(DataStream& stream);
  // Percentage written so far (0-100), while Write runs.
  int Progress() const;
  // Stops a running Write through the library (from the pump).
  void CancelWrite();
  // Reads the written image back (from the image file, or from the disc still in the
  // recorder) and compares every file of it with the file it was made from. Returns the
  // number of files that differ (missing or unreadable ones included). Throws
  // DiscFailure when the image cannot be read at all, WriteCancelled after CancelWrite.
  int Verify(DataStream& stream);
  // The same two for an ISO image file written as it is, block for block; VerifyFile
  // returns 0 when the disc holds exactly the file's bytes, 1 when it does not.
  void WriteFile(const std::string& path);
  int VerifyFile(const std::string& path);

 private:
  // Writes `source` (its size in bytes) and checks how it went; throws DiscFailure.
  void WriteSource(::burn_source* source, bool fromImage, ::burn_source* ring);
  // DiscFailure spoken TooBigSentence (ImageTooBigSentence for a file) when too big.
  void CheckSpace(int64_t bytes, bool imageFile);
  bool OnCd() const;
  int64_t dummy_ = 0;
  DiscRecorder* recorder_ = nullptr;
  std::string clientName_;
  std::function<void()> pump_;
  bool cancelled_ = false;
  int speed_ = 0;
};

}  // namespace mg
