// Verification after writing: the written image is read back with libisofs (its own
// directory records, as a reader of the disc would find them), and each file's extents
// are read from the disc or image file and compared with the file it was made from.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <vector>

#include "recording/discservice.h"
#include "recording/imagestate.h"
#include "recording/libraries.h"

namespace mg {
namespace {

constexpr size_t kChunk = 4 * 1024 * 1024;

std::string LeafOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
constexpr int64_t kBlock = 2048;

// Reads bytes of the written image: from the image file, or from the disc.
class ImageReader {
 public:
  explicit ImageReader(DiscRecorder& recorder) {
    if (recorder.IsImageFile()) {
      fd_ = open(recorder.ImagePath().c_str(), O_RDONLY | O_CLOEXEC);
      if (fd_ < 0) {
        throw DiscFailure(recorder.ImagePath() + ": " + std::strerror(errno),
                          "N\xe3o foi poss\xedvel ler a imagem gravada");
      }
    } else {
      drive_ = &recorder.Device();
      // The disc's table of contents changed with the write.
      drive_->ReAssess();
    }
  }
  ~ImageReader() {
    if (fd_ >= 0) close(fd_);
  }
  ImageReader(const ImageReader&) = delete;
  ImageReader& operator=(const ImageReader&) = delete;

  // Exactly `size` bytes from `offset` (a multiple of 2048 on a disc); false otherwise.
  bool Read(int64_t offset, char* buffer, size_t size) {
    if (fd_ >= 0) {
      size_t got = 0;
      while (got < size) {
        const ssize_t n = pread(fd_, buffer + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
      }
      return true;
    }
    // Whole blocks from the disc; flag bit1: no message for a read error.
    const size_t whole =
        static_cast<size_t>((static_cast<int64_t>(size) + kBlock - 1) / kBlock * kBlock);
    if (whole != size) {
      std::vector<char> tmp(whole);
      if (!Read(offset, tmp.data(), whole)) return false;
      std::memcpy(buffer, tmp.data(), size);
      return true;
    }
    return drive_->Read(offset, buffer, static_cast<int64_t>(size));
  }

 private:
  int fd_ = -1;
  Drive* drive_ = nullptr;
};

// A libisofs data source over the reader, for reading the image's directories.
int SourceOpen(IsoDataSource*) { return 1; }
int SourceClose(IsoDataSource*) { return 1; }
int SourceRead(IsoDataSource* src, uint32_t lba, uint8_t* buffer) {
  auto* reader = static_cast<ImageReader*>(src->data);
  return reader->Read(static_cast<int64_t>(lba) * kBlock, reinterpret_cast<char*>(buffer), kBlock)
             ? 1
             : ISO_DATA_SOURCE_FAILURE;
}
void SourceFree(IsoDataSource*) {}

// Whether the file's extents in the image hold exactly the source file's bytes.
bool SameContent(ImageReader& reader, IsoFile* file, const std::string& sourcePath,
                 const std::function<void()>& pump, std::vector<char>& a, std::vector<char>& b) {
  int count = 0;
  iso_file_section* sections = nullptr;
  if (iso_file_get_old_image_sections(file, &count, &sections, 0) < 0) return false;
  const std::vector<iso_file_section> parts(sections, sections + (sections ? count : 0));
  std::free(sections);
  const int fd = open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool same = true;
  off_t at = 0;
  for (const iso_file_section& part : parts) {
    for (int64_t done = 0; same && done < part.size;) {
      const size_t n = static_cast<size_t>(std::min<int64_t>(kChunk, part.size - done));
      const ssize_t got = pread(fd, b.data(), n, at);
      same = got == static_cast<ssize_t>(n) &&
             reader.Read(static_cast<int64_t>(part.block) * kBlock + done, a.data(), n) &&
             std::memcmp(a.data(), b.data(), n) == 0;
      done += static_cast<int64_t>(n);
      at += static_cast<off_t>(n);
      pump();
    }
  }
  // Nothing may follow in the source.
  char extra;
  if (same && pread(fd, &extra, 1, at) != 0) same = false;
  close(fd);
  return same;
}

// The imported image and its data source (libisofs frees a source with free() when its
// last reference goes).
struct Imported {
  IsoDataSource* source = nullptr;
  IsoImage* image = nullptr;
  IsoReadOpts* opts = nullptr;
  IsoReadImageFeatures* features = nullptr;
  ~Imported() {
    if (features) iso_read_image_features_destroy(features);
    if (opts) iso_read_opts_free(opts);
    if (image) iso_image_unref(image);
    if (source) iso_data_source_unref(source);
  }
};

}  // namespace

int DataWriter::Verify(DataStream& stream) {
  if (!recorder_ || !recorder_->IsInitialized()) throw DiscFailure("Gravador não inicializado");
  if (!stream.out_ || !stream.out_->image) throw DiscFailure("Imagem vazia");
  burnlib::DrainMessages();
  cancelled_ = false;
  ImageReader reader(*recorder_);
  Imported in;
  in.source = static_cast<IsoDataSource*>(std::calloc(1, sizeof(IsoDataSource)));
  if (!in.source) throw DiscFailure("Verificação: memória insuficiente");
  in.source->refcount = 1;
  in.source->open = SourceOpen;
  in.source->close = SourceClose;
  in.source->read_block = SourceRead;
  in.source->free_data = SourceFree;
  in.source->data = &reader;
  int r = iso_image_new("", &in.image);
  if (r >= 0) r = iso_read_opts_new(&in.opts, 0);
  if (r < 0) burnlib::FailIso("Verificação", r);
  iso_read_opts_set_no_joliet(in.opts, 1);
  iso_read_opts_set_input_charset(in.opts, const_cast<char*>("UTF-8"));
  r = iso_image_import(in.image, in.source, in.opts, &in.features);
  if (r < 0) {
    try {
      burnlib::FailIso("Verificação: a imagem gravada não pôde ser lida", r);
    } catch (const DiscFailure& e) {
      throw DiscFailure(e.what(), "N\xe3o foi poss\xedvel ler a imagem gravada");
    }
  }

  std::vector<char> a(kChunk), b(kChunk);
  int differ = 0;
  // The pump sleeps: called every tenth of a second, not for every file or chunk.
  auto last = std::chrono::steady_clock::now();
  const std::function<void()> tick = [&] {
    const auto now = std::chrono::steady_clock::now();
    if (now - last < std::chrono::milliseconds(100)) return;
    pump_();
    last = std::chrono::steady_clock::now();
  };
  const auto stopIfCancelled = [this] {
    if (!cancelled_) return;
    if (recorder_->IsImageFile()) unlink(recorder_->ImagePath().c_str());
    throw WriteCancelled();
  };
  for (const ImageState::RecordedFile& f : stream.out_->image->files) {
    stopIfCancelled();
    IsoNode* node = nullptr;
    const std::string path = "/" + f.imagePath;
    const bool found = iso_tree_path_to_node(in.image, path.c_str(), &node) == 1 && node &&
                       iso_node_get_type(node) == LIBISO_FILE;
    if (!found ||
        !SameContent(reader, reinterpret_cast<IsoFile*>(node), f.sourcePath, tick, a, b)) {
      stopIfCancelled();
      ++differ;
      std::cerr << "minigravador: verificação: " << path << " difere de " << f.sourcePath << '\n';
    }
    tick();
  }
  stopIfCancelled();
  return differ;
}

}  // namespace mg

namespace mg {

int DataWriter::VerifyFile(const std::string& path) {
  if (!recorder_ || !recorder_->IsInitialized()) throw DiscFailure("Gravador não inicializado");
  burnlib::DrainMessages();
  cancelled_ = false;
  ImageReader reader(*recorder_);
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    throw DiscFailure(path + ": " + std::strerror(errno), CannotReadSentence(LeafOf(path)));
  }
  std::vector<char> a(kChunk), b(kChunk);
  int differ = 0;
  auto last = std::chrono::steady_clock::now();
  for (int64_t at = 0;;) {
    const ssize_t got = pread(fd, b.data(), kChunk, static_cast<off_t>(at));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      differ = 1;
      std::cerr << "minigravador: verificação: " << path << ": " << std::strerror(errno) << '\n';
      break;
    }
    if (got == 0) break;
    const size_t n = static_cast<size_t>(got);
    if (!reader.Read(at, a.data(), n)) {
      differ = 1;
      std::cerr << "minigravador: verificação: o disco não pôde ser lido a partir do byte " << at
                << '\n';
      break;
    }
    if (std::memcmp(a.data(), b.data(), n) != 0) {
      differ = 1;
      const auto first =
          std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n), b.begin());
      std::cerr << "minigravador: verificação: o disco difere de " << path << " no byte "
                << at + (first.first - a.begin()) << '\n';
      break;
    }
    at += got;
    if (std::chrono::steady_clock::now() - last >= std::chrono::milliseconds(100)) {
      pump_();
      last = std::chrono::steady_clock::now();
    }
    if (cancelled_) break;
  }
  // An image file must hold nothing after the copy.
  struct stat source {
  }, target{};
  if (differ == 0 && recorder_->IsImageFile() &&
      (fstat(fd, &source) != 0 || stat(recorder_->ImagePath().c_str(), &target) != 0 ||
       source.st_size != target.st_size)) {
    differ = 1;
    std::cerr << "minigravador: verificação: o tamanho de " << recorder_->ImagePath()
              << " difere de " << path << '\n';
  }
  close(fd);
  if (cancelled_) {
    if (recorder_->IsImageFile()) unlink(recorder_->ImagePath().c_str());
    throw WriteCancelled();
  }
  return differ;
}

}  // namespace mg
