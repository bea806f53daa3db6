// The drive layer over libburn: every libburn call about a drive's state lives here.
// libburn runs erase, format and write in a worker thread of its own; this file only
// starts them and polls burn_drive_get_status from the main thread.
#include "recording/drivelayer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "recording/libraries.h"

namespace mg {
namespace {

constexpr std::string_view kStdioPrefix = "stdio:";

// libburn's description of one write; the track holds a reference on the source.
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

// Jobs that ended badly: libburn's worker may still hold them after the drive turned
// idle, so they are kept until the program exits.
std::vector<BurnJob*>& KeptJobs() {
  static auto* jobs = new std::vector<BurnJob*>;
  return *jobs;
}

class LibburnDrive;
std::vector<LibburnDrive*> g_live;  // grabbed and not released
bool g_lost = false;                // a drive was parked unsettled

// Cancels what still runs on a drive and waits (about a minute at most) until it is idle.
void StopDrive(burn::burn_drive* d) {
  if (burn::burn_drive_get_status(d, nullptr) == burn::BURN_DRIVE_IDLE) return;
  burn::burn_drive_cancel(d);
  for (int i = 0; i < 600 && burn::burn_drive_get_status(d, nullptr) != burn::BURN_DRIVE_IDLE;
       ++i) {
    usleep(100000);
  }
}

class LibburnDrive : public Drive {
 public:
  LibburnDrive(burn::burn_drive_info* info, std::string address)
      : info_(info), address_(std::move(address)) {
    g_live.push_back(this);
  }
  ~LibburnDrive() override {
    if (info_) Release(false);
  }

  std::string Vendor() const override { return info_ ? info_[0].vendor : ""; }
  std::string Product() const override { return info_ ? info_[0].product : ""; }
  bool IsImageFile() const override { return address_.rfind(kStdioPrefix, 0) == 0; }

  DiscStatus Status() override {
    switch (burn::burn_disc_get_status(d())) {
      case burn::BURN_DISC_UNREADY:
        return DiscStatus::Unready;
      case burn::BURN_DISC_BLANK:
        return DiscStatus::Blank;
      case burn::BURN_DISC_EMPTY:
        return DiscStatus::Empty;
      case burn::BURN_DISC_APPENDABLE:
        return DiscStatus::Appendable;
      case burn::BURN_DISC_FULL:
        return DiscStatus::Full;
      case burn::BURN_DISC_UNGRABBED:
        return DiscStatus::Ungrabbed;
      default:
        return DiscStatus::Unsuitable;
    }
  }
  void ReAssess() override { burn::burn_drive_re_assess(d(), 0); }
  int Profile(std::string& name) override {
    int profile = 0;
    char text[80] = {};
    if (burn::burn_disc_get_profile(d(), &profile, text) <= 0) profile = 0;
    text[79] = '\0';
    name = text;
    return profile;
  }
  bool Erasable() override { return burn::burn_disc_erasable(d()) != 0; }
  FormatState Formats() override {
    int status = 0, count = 0;
    off_t size = 0;
    unsigned blsas = 0;
    if (burn::burn_disc_get_formats(d(), &status, &size, &blsas, &count) <= 0) {
      return FormatState::NotApplicable;
    }
    if (status == BURN_FORMAT_IS_UNFORMATTED) return FormatState::Unformatted;
    if (status == BURN_FORMAT_IS_FORMATTED) return FormatState::Formatted;
    return FormatState::Unknown;
  }
  int64_t AvailableSpace() override { return burn::burn_disc_available_space(d(), nullptr); }
  void StartErase(bool fast) override { burn::burn_disc_erase(d(), fast ? 1 : 0); }
  // Size 0 and no flags: libburn picks the format the medium's profile wants.
  void StartFormat() override { burn::burn_disc_format(d(), 0, 0); }

  bool StartWrite(const WriteRequest& request) override {
    auto job = std::make_unique<BurnJob>();
    job->opts = burn::burn_write_opts_new(d());
    job->disc = burn::burn_disc_create();
    job->session = burn::burn_session_create();
    job->track = burn::burn_track_create();
    if (!job->opts || !job->disc || !job->session || !job->track) return false;
    burn::burn_write_opts_set_simulate(job->opts, 0);
    burn::burn_write_opts_set_underrun_proof(job->opts, 1);
    burn::burn_write_opts_set_multi(job->opts, 0);
    // libburn's default forces the data out every 16 MB, which doubles the time of an
    // image file; the caller syncs once at the end.
    burn::burn_write_opts_set_stdio_fsync(job->opts, -1);
    burn::burn_track_define_data(job->track, 0, static_cast<int>(request.tailBytes), 1, BURN_MODE1);
    if (burn::burn_track_set_source(job->track, burnlib::ToBurn(request.source)) !=
        burn::BURN_SOURCE_OK) {
      return false;
    }
    burn::burn_session_add_track(job->session, job->track, BURN_POS_END);
    burn::burn_disc_add_session(job->disc, job->session, BURN_POS_END);
    char reasons[BURN_REASONS_LEN] = {};
    if (burn::burn_write_opts_auto_write_type(job->opts, job->disc, reasons, 0) ==
        burn::BURN_WRITE_NONE) {
      reasons[BURN_REASONS_LEN - 1] = '\0';
      burn::burn_msgs_submit(0x0002012b, reasons, 0, const_cast<char*>("SORRY"), nullptr);
      return false;
    }
    if (request.speedKilobytes > 0) burn::burn_drive_set_speed(d(), 0, request.speedKilobytes);
    DropJob(failed_ || burn::burn_drive_wrote_well(d()) == 0);
    failed_ = false;
    job_ = job.release();
    burn::burn_disc_write(job_->opts, job_->disc);
    return true;
  }

  DriveActivity Activity(int64_t& done, int64_t& total) override {
    burn::burn_progress p{};
    const burn::burn_drive_status s = burn::burn_drive_get_status(d(), &p);
    done = p.sector;
    total = p.sectors;
    switch (s) {
      case burn::BURN_DRIVE_IDLE:
        return DriveActivity::Idle;
      case burn::BURN_DRIVE_ERASING:
        return DriveActivity::Erasing;
      case burn::BURN_DRIVE_FORMATTING:
        return DriveActivity::Formatting;
      case burn::BURN_DRIVE_WRITING:
      case burn::BURN_DRIVE_WRITING_LEADIN:
      case burn::BURN_DRIVE_WRITING_LEADOUT:
      case burn::BURN_DRIVE_WRITING_PREGAP:
      case burn::BURN_DRIVE_CLOSING_TRACK:
      case burn::BURN_DRIVE_CLOSING_SESSION:
        return DriveActivity::Writing;
      default:
        return DriveActivity::Busy;
    }
  }
  bool WroteWell() override {
    const bool well = burn::burn_drive_wrote_well(d()) != 0;
    if (!well) failed_ = true;
    return well;
  }
  void Cancel() override {
    if (burn::burn_drive_get_status(d(), nullptr) != burn::BURN_DRIVE_IDLE) {
      burn::burn_drive_cancel(d());
    }
  }
  void SetSpeed(int kilobytesPerSecond) override {
    burn::burn_drive_set_speed(d(), 0, kilobytesPerSecond);
  }
  bool Read(int64_t offset, char* buffer, int64_t size) override {
    off_t count = 0;
    // flag bit1: no message for a read error.
    return burn::burn_read_data(d(), offset, buffer, static_cast<off_t>(size), &count, 2) == 1 &&
           count == static_cast<off_t>(size);
  }

  // After a failed write, a device file that is gone (or answers "no such device")
  // means the drive was unplugged: libburn's worker may still be on its way out.
  bool Settled() override {
    if (!info_) return true;
    if (burn::burn_drive_get_status(d(), nullptr) != burn::BURN_DRIVE_IDLE) return false;
    if (!failed_ || IsImageFile()) return true;
    struct stat st {};
    if (stat(address_.c_str(), &st) != 0) return false;
    const int fd = open(address_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      close(fd);
      return true;
    }
    return errno != ENODEV && errno != ENXIO && errno != ENOENT;
  }

  void Release(bool eject) override {
    if (!info_) return;
    StopDrive(d());
    const bool keep = job_ && (failed_ || burn::burn_drive_wrote_well(d()) == 0);
    burn::burn_drive_release(d(), eject ? 1 : 0);
    burn::burn_drive_info_free(info_);
    info_ = nullptr;
    DropJob(keep);
    std::erase(g_live, this);
  }

  // At exit: a lost drive is left alone; the others are stopped and released.
  void ReleaseForExit() {
    if (!info_) return;
    if (!Settled()) {
      g_lost = true;
      return;
    }
    Release(false);
  }

 private:
  burn::burn_drive* d() const { return info_[0].drive; }
  // A job that ended well is freed; one that did not is kept (see KeptJobs).
  void DropJob(bool keep) {
    if (!job_) return;
    if (keep) {
      KeptJobs().push_back(job_);
    } else {
      delete job_;
    }
    job_ = nullptr;
  }

  burn::burn_drive_info* info_;
  std::string address_;
  BurnJob* job_ = nullptr;
  bool failed_ = false;
};

class LibburnLayer : public DriveLayer {
 public:
  std::vector<ScannedDrive> Scan() override {
    burnlib::EnsureLibraries();
    std::vector<ScannedDrive> found;
    burn::burn_drive_info* infos = nullptr;
    unsigned int n = 0;
    int r;
    // burn_drive_scan returns 0 while the scan is not done; it is done in one call on
    // Linux, the loop is a bounded guard.
    for (int i = 0; (r = burn::burn_drive_scan(&infos, &n)) == 0 && i < 10000; ++i) usleep(1000);
    if (r > 0 && infos) {
      for (unsigned int i = 0; i < n; ++i) {
        char adr[BURN_DRIVE_ADR_LEN] = {};
        if (burn::burn_drive_d_get_adr(infos[i].drive, adr) <= 0) continue;
        found.push_back({adr, infos[i].vendor, infos[i].product});
      }
    }
    // Gives up the scanned drives at once: the chosen one is grabbed by address.
    if (infos) burn::burn_drive_info_free(infos);
    return found;
  }

  std::unique_ptr<Drive> Grab(const std::string& address) override {
    burnlib::EnsureLibraries();
    burn::burn_drive_info* info = nullptr;
    std::string adr = address;
    const int r = burn::burn_drive_scan_and_grab(&info, adr.data(), 1);
    if (r != 1 || info == nullptr) {
      if (info) burn::burn_drive_info_free(info);
      return nullptr;
    }
    return std::make_unique<LibburnDrive>(info, address);
  }

  bool TakeMessage(DriveMessage& message) override {
    int code = 0, err = 0;
    char text[BURN_MSGS_MESSAGE_LEN + 1] = {};
    char sev[81] = {};
    if (burn::burn_msgs_obtain(const_cast<char*>("SORRY"), &code, text, &err, sev) <= 0) {
      return false;
    }
    text[BURN_MSGS_MESSAGE_LEN] = '\0';
    sev[80] = '\0';
    message = {code, err, sev, text};
    return true;
  }

  void DropMessages() override {
    int code = 0, err = 0;
    char text[BURN_MSGS_MESSAGE_LEN + 1];
    char sev[81];
    burn::burn_msgs_obtain(const_cast<char*>("NEVER"), &code, text, &err, sev);
  }
};

DriveLayer* g_installed = nullptr;

std::vector<std::unique_ptr<Drive>>& Parked() {
  static auto* parked = new std::vector<std::unique_ptr<Drive>>;
  return *parked;
}

}  // namespace

DriveLayer& Drives() {
  static LibburnLayer libburn;
  return g_installed ? *g_installed : libburn;
}

void InstallDriveLayer(DriveLayer* layer) { g_installed = layer; }

void ParkDrive(std::unique_ptr<Drive> drive) {
  if (drive) Parked().push_back(std::move(drive));
}

bool burnlib::ReleaseDrivesForExit() {
  // Copied: releasing takes a drive out of the list.
  const std::vector<LibburnDrive*> live = g_live;
  for (LibburnDrive* d : live) d->ReleaseForExit();
  return !g_lost;
}

}  // namespace mg
