// Data writer: one data track holding the image, written by libburn in its own thread
// while the caller's pump keeps the window alive.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "recording/discservice.h"
#include "recording/imagestate.h"
#include "recording/libraries.h"

namespace mg {
namespace {

void DefaultPump() { usleep(20000); }

constexpr int64_t kMegabyte = 1024 * 1024;

std::string Megabytes(int64_t bytes) {
  return std::to_string((bytes + kMegabyte - 1) / kMegabyte) + " MB";
}

bool IsRegularOrMissing(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode);
}

std::string LeafOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The image file is replaced whole: emptied (or created) before writing.
void EmptyImageFile(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    throw DiscFailure(
        path + ": não foi possível criar o arquivo de imagem (" + std::strerror(errno) + ")",
        "N\xe3o foi poss\xedvel criar o arquivo de imagem " + DiskNameForUser(LeafOf(path)));
  }
  close(fd);
}

// Forces the written image onto the storage once, at the end; `reason` tells why that
// failed.
void SyncImageFile(const std::string& path, std::string& reason) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0 || fsync(fd) != 0) {
    reason = path + ": " + std::strerror(errno);
    if (fd >= 0) close(fd);
    return;
  }
  if (close(fd) != 0) reason = path + ": " + std::strerror(errno);
}

// Frees a source handed over to the writer (its track holds its own reference).
struct SourceRef {
  ::burn_source* source = nullptr;
  ~SourceRef() {
    if (source) burn::burn_source_free(burnlib::ToBurn(source));
  }
};

}  // namespace

std::string TooBigSentence(int64_t imageBytes, int64_t freeBytes) {
  const int64_t image = (imageBytes + kMegabyte - 1) / kMegabyte;
  const int64_t room = freeBytes < 0 ? 0 : freeBytes / kMegabyte;
  return "O diret\xf3rio tem " + std::to_string(image) + " megabytes e o disco " +
         std::to_string(room);
}

std::string ImageTooBigSentence(int64_t imageBytes, int64_t freeBytes) {
  const int64_t image = (imageBytes + kMegabyte - 1) / kMegabyte;
  const int64_t room = freeBytes < 0 ? 0 : freeBytes / kMegabyte;
  return "A imagem tem " + std::to_string(image) + " megabytes e o disco " + std::to_string(room);
}

DataWriter::DataWriter() : pump_(DefaultPump) {}

int DataWriter::Progress() const {
  if (!recorder_ || !recorder_->IsInitialized()) return 0;
  int64_t done = 0, total = 0;
  if (recorder_->Device().Activity(done, total) == DriveActivity::Idle || total <= 0) return 0;
  return static_cast<int>(std::clamp<int64_t>(done * 100 / total, 0, 100));
}

void DataWriter::CancelWrite() {
  cancelled_ = true;
  if (recorder_ && recorder_->IsInitialized()) recorder_->Device().Cancel();
}

void DataWriter::Recorder(DiscRecorder& recorder) {
  if (!recorder.IsInitialized()) throw DiscFailure("Gravador não inicializado");
  recorder_ = &recorder;
}

void DataWriter::Write(DataStream& stream) {
  if (!recorder_ || !recorder_->IsInitialized()) throw DiscFailure("Gravador não inicializado");
  if (!stream.out_ || !stream.out_->opts) throw DiscFailure("Imagem vazia");
  if (stream.out_->consumed) throw DiscFailure("A imagem já foi gravada");
  stream.out_->consumed = true;
  // The size is checked before the generator starts: nothing is read for a disc that
  // is too small.
  CheckSpace(stream.out_->size, false);
  // Old messages go before the generator starts: from then on its thread may queue the
  // reason of a failed read at any moment.
  burnlib::DrainMessages();
  burnlib::StartImageGenerator(*stream.out_);
  WriteSource(stream.out_->source, true, stream.out_->source);
}

void DataWriter::WriteFile(const std::string& path) {
  if (!recorder_ || !recorder_->IsInitialized()) throw DiscFailure("Gravador não inicializado");
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    throw DiscFailure(path + ": " + std::strerror(errno ? errno : EINVAL),
                      CannotReadSentence(LeafOf(path)));
  }
  CheckSpace(st.st_size + (OnCd() ? int64_t{kCdTailBlocks} * 2048 : 0), true);
  SourceRef file;
  file.source = reinterpret_cast<::burn_source*>(burn::burn_file_source_new(path.c_str(), nullptr));
  if (!file.source) {
    throw DiscFailure(path + ": " + std::strerror(errno), CannotReadSentence(LeafOf(path)));
  }
  burnlib::DrainMessages();
  WriteSource(file.source, false, nullptr);
}

bool DataWriter::OnCd() const {
  if (recorder_->IsImageFile()) return false;
  std::string name;
  return IsCdProfile(recorder_->Device().Profile(name));
}

void DataWriter::CheckSpace(int64_t size, bool imageFile) {
  const std::string where = recorder_->UniqueId();
  int64_t space = recorder_->IsImageFile() ? burnlib::ImageFileSpace(recorder_->ImagePath()) : -1;
  if (space < 0) space = recorder_->Device().AvailableSpace();
  if (size > space) {
    throw DiscFailure(where + ": espaço insuficiente: a imagem tem " + Megabytes(size) +
                          " e o disco só " + Megabytes(space),
                      imageFile ? ImageTooBigSentence(size, space) : TooBigSentence(size, space));
  }
}

void DataWriter::WriteSource(::burn_source* source, bool fromImage, ::burn_source* ring) {
  const std::string where = recorder_->UniqueId();
  Drive& drive = recorder_->Device();
  cancelled_ = false;
  const bool imageFile = recorder_->IsImageFile() && IsRegularOrMissing(recorder_->ImagePath());
  WriteRequest request;
  request.source = source;
  // Only a chosen speed is set: for an image file, libburn's "fastest" is an emulated
  // drive speed that would hold the writing back.
  request.speedKilobytes = speed_;
  // An image carries its padding itself (ImageBuilder); a file is padded by the drive.
  if (!fromImage && OnCd()) request.tailBytes = int64_t{kCdTailBlocks} * 2048;
  if (imageFile) EmptyImageFile(recorder_->ImagePath());
  if (!drive.StartWrite(request)) {
    burnlib::FailBurn(where, "o disco não pode ser gravado");
  }
  while (drive.Activity(dummy_, dummy_) != DriveActivity::Idle) pump_();

  // libisofs queues a message for every file it could not read as added; any such
  // message, like a drive that did not write well, is a failed burn.
  bool generatorFailed = false;
  if (ring) {
    // The generator's thread may still be ending, or may mark the buffer failed a
    // moment before it queues the reason naming the file: both are waited for, briefly.
    size_t bufferSize = 0, bufferFree = 0;
    int r = iso_ring_buffer_get_status(ring, &bufferSize, &bufferFree);
    for (int i = 0; i < 200 && r == 1; ++i) {
      usleep(10000);
      r = iso_ring_buffer_get_status(ring, &bufferSize, &bufferFree);
    }
    generatorFailed = r == 3 || r == 7;
  }
  std::string failure = fromImage ? burnlib::TakeIsoMessage() : std::string();
  for (int i = 0; i < 100 && failure.empty() && generatorFailed; ++i) {
    usleep(10000);
    failure = burnlib::TakeIsoMessage();
  }
  const std::vector<DriveMessage> messages = burnlib::TakeDriveMessages();
  const bool wroteWell = drive.WroteWell();
  if (failure.empty() && !wroteWell) {
    failure = messages.empty() ? "o gravador não gravou bem" : messages.front().text;
  }
  if (failure.empty() && generatorFailed) failure = "a geração da imagem falhou";
  if (cancelled_) {
    // Nothing of a cancelled image may remain to pass for a disc.
    if (imageFile && unlink(recorder_->ImagePath().c_str()) != 0 && errno != ENOENT) {
      (void)!truncate(recorder_->ImagePath().c_str(), 0);
    }
    throw WriteCancelled();
  }
  if (failure.empty() && imageFile) SyncImageFile(recorder_->ImagePath(), failure);
  if (!failure.empty()) {
    // A half-written image must not pass for a good one.
    if (imageFile && truncate(recorder_->ImagePath().c_str(), 0) != 0) {
      failure += " (e a imagem incompleta não pôde ser esvaziada)";
    }
    throw DiscFailure(where + ": " + failure, TroubleSentence(TroubleOf(messages)));
  }
}

}  // namespace mg
