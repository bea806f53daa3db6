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

// Owns libburn's description of the disc to write.
struct BurnJob {
  burn::burn_write_opts* opts = nullptr;
  burn::burn_disc* disc = nullptr;
  burn::burn_session* session = nullptr;
  burn::burn_track* track = nullptr;
  ~BurnJob() {
    if (opts) burn::burn_write_opts_free(opts);
    if (track) burn::burn_track_free(track);
    if (session) burn::burn_session_free(session);
    if (disc) burn::burn_disc_free(disc);
  }
};

}  // namespace

std::string TooBigSentence(int64_t imageBytes, int64_t freeBytes) {
  const int64_t image = (imageBytes + kMegabyte - 1) / kMegabyte;
  const int64_t room = freeBytes < 0 ? 0 : freeBytes / kMegabyte;
  return "O diret\xf3rio tem " + std::to_string(image) + " megabytes e o disco " +
         std::to_string(room);
}

DataWriter::DataWriter() : pump_(DefaultPump) {}

int DataWriter::Progress() const {
  if (!recorder_ || !recorder_->IsInitialized()) return 0;
  burn::burn_progress p{};
  if (burn::burn_drive_get_status(recorder_->DriveInfo()[0].drive, &p) == burn::BURN_DRIVE_IDLE ||
      p.sectors <= 0) {
    return 0;
  }
  const int64_t percent = static_cast<int64_t>(p.sector) * 100 / p.sectors;
  return static_cast<int>(std::clamp<int64_t>(percent, 0, 100));
}

void DataWriter::CancelWrite() {
  cancelled_ = true;
  if (!recorder_ || !recorder_->IsInitialized()) return;
  burn::burn_drive* drive = recorder_->DriveInfo()[0].drive;
  if (burn::burn_drive_get_status(drive, nullptr) != burn::BURN_DRIVE_IDLE)
    burn::burn_drive_cancel(drive);
}

void DataWriter::Recorder(DiscRecorder& recorder) {
  if (!recorder.IsInitialized()) throw DiscFailure("Gravador não inicializado");
  recorder_ = &recorder;
}

void DataWriter::Write(DataStream& stream) {
  if (!recorder_ || !recorder_->IsInitialized()) throw DiscFailure("Gravador não inicializado");
  if (!stream.out_ || !stream.out_->opts) throw DiscFailure("Imagem vazia");
  if (stream.out_->consumed) throw DiscFailure("A imagem já foi gravada");
  burnlib::DrainMessages();
  const std::string where = recorder_->UniqueId();
  burn::burn_drive* drive = recorder_->DriveInfo()[0].drive;

  BurnJob job;
  job.opts = burn::burn_write_opts_new(drive);
  job.disc = burn::burn_disc_create();
  job.session = burn::burn_session_create();
  job.track = burn::burn_track_create();
  if (!job.opts || !job.disc || !job.session || !job.track) {
    throw DiscFailure(where + ": memória insuficiente");
  }
  burn::burn_write_opts_set_simulate(job.opts, 0);
  burn::burn_write_opts_set_underrun_proof(job.opts, 1);
  burn::burn_write_opts_set_multi(job.opts, 0);
  // libburn's default forces the data out every 16 MB, which doubles the time of an
  // image file; one fsync at the end (ours, checked) keeps it just as safe.
  burn::burn_write_opts_set_stdio_fsync(job.opts, -1);

  const int64_t size = stream.out_->size;
  int64_t space = recorder_->IsImageFile() ? burnlib::ImageFileSpace(recorder_->ImagePath()) : -1;
  if (space < 0) space = burn::burn_disc_available_space(drive, job.opts);
  if (size > space) {
    throw DiscFailure(where + ": espaço insuficiente: a imagem tem " + Megabytes(size) +
                          " e o disco só " + Megabytes(space),
                      TooBigSentence(size, space));
  }
  cancelled_ = false;

  stream.out_->consumed = true;
  burnlib::StartImageGenerator(*stream.out_);
  burn::burn_source* src = burnlib::ToBurn(stream.out_->source);
  burn::burn_track_define_data(job.track, 0, 0, 1, BURN_MODE1);
  if (burn::burn_track_set_source(job.track, src) != burn::BURN_SOURCE_OK) {
    burnlib::FailBurn(where, "a imagem não pôde ser usada como trilha");
  }
  burn::burn_session_add_track(job.session, job.track, BURN_POS_END);
  burn::burn_disc_add_session(job.disc, job.session, BURN_POS_END);
  char reasons[BURN_REASONS_LEN] = {};
  if (burn::burn_write_opts_auto_write_type(job.opts, job.disc, reasons, 0) ==
      burn::BURN_WRITE_NONE) {
    burnlib::FailBurn(where, std::string("o disco não pode ser gravado: ") + reasons);
  }

  const bool imageFile = recorder_->IsImageFile() && IsRegularOrMissing(recorder_->ImagePath());
  if (imageFile) EmptyImageFile(recorder_->ImagePath());
  // Only a chosen speed is set: for an image file, libburn's "fastest" is an emulated
  // drive speed that would hold the writing back.
  if (speed_ > 0) burn::burn_drive_set_speed(drive, 0, speed_);
  burn::burn_disc_write(job.opts, job.disc);
  while (burn::burn_drive_get_status(drive, nullptr) != burn::BURN_DRIVE_IDLE) pump_();

  // libisofs queues a message for every file it could not read as added; any such
  // message, like a drive that did not write well, is a failed burn.
  std::string failure = burnlib::TakeIsoMessage();
  size_t bufferSize = 0, bufferFree = 0;
  const int ring = iso_ring_buffer_get_status(stream.out_->source, &bufferSize, &bufferFree);
  const bool generatorFailed = ring == 3 || ring == 7;
  const std::string burnMessage = burnlib::TakeBurnMessage();
  const bool wroteWell = burn::burn_drive_wrote_well(drive) != 0;
  if (failure.empty() && !wroteWell) {
    failure = burnMessage.empty() ? "o gravador não gravou bem" : burnMessage;
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
    throw DiscFailure(where + ": " + failure);
  }
}

}  // namespace mg
