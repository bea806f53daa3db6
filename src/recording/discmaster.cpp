// Disc master (which recorders there are) and recorder object over libburn drives.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "recording/discservice.h"
#include "recording/libraries.h"

namespace mg {
namespace {

constexpr std::string_view kStdioPrefix = "stdio:";

// Optical drive device files of a directory ("sr0", "sr1", ...) in number order.
std::vector<std::string> OpticalDevices(const std::string& directory) {
  std::vector<std::pair<long, std::string>> found;
  DIR* dir = opendir(directory.c_str());
  if (!dir) return {};
  while (const dirent* e = readdir(dir)) {
    const char* n = e->d_name;
    if (std::strncmp(n, "sr", 2) != 0 || n[2] == '\0') continue;
    if (std::strspn(n + 2, "0123456789") != std::strlen(n + 2) || std::strlen(n + 2) > 6) continue;
    found.emplace_back(std::strtol(n + 2, nullptr, 10), directory + "/" + n);
  }
  closedir(dir);
  std::sort(found.begin(), found.end());
  std::vector<std::string> out;
  for (auto& f : found) out.push_back(std::move(f.second));
  return out;
}

std::string Canonical(const std::string& address) {
  char out[BURN_DRIVE_ADR_LEN] = {};
  std::string in = address;
  if (burn::burn_drive_convert_fs_adr(in.data(), out) > 0) return out;
  return address;
}

std::string ParentOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string Reason(int err) { return std::strerror(err); }

std::string LeafOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void FailTarget(const std::string& text, const std::string& path) {
  throw DiscFailure(
      text, "N\xe3o \xe9 poss\xedvel gravar o arquivo de imagem " + DiskNameForUser(LeafOf(path)));
}

// An image file must be a writable file (or a device) in a folder that exists, so that
// its recorder is listed as unusable now rather than failing after the image was built.
void CheckImageTarget(const std::string& path) {
  const std::string context = "Arquivo de imagem " + path;
  if (path.empty() || path.back() == '/') FailTarget(context + ": nome inválido", path);
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) FailTarget(context + ": é uma pasta", path);
    if (!S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode) && !S_ISCHR(st.st_mode)) {
      FailTarget(context + ": não é um arquivo comum", path);
    }
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
      FailTarget(context + ": " + Reason(errno), path);
    }
    return;
  }
  if (errno != ENOENT) FailTarget(context + ": " + Reason(errno), path);
  const std::string parent = ParentOf(path);
  struct stat pst {};
  if (stat(parent.c_str(), &pst) != 0) FailTarget(context + ": a pasta não existe", path);
  if (!S_ISDIR(pst.st_mode)) FailTarget(context + ": a pasta não existe", path);
  if (faccessat(AT_FDCWD, parent.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    FailTarget(context + ": pasta sem permissão de escrita (" + Reason(errno) + ")", path);
  }
}

// The device file must be readable and writable by this user: libburn would retry a
// refused open for many seconds and then only say that the drive is busy or missing.
void CheckDevicePermission(const std::string& device) {
  if (faccessat(AT_FDCWD, device.c_str(), R_OK | W_OK, AT_EACCESS) == 0) return;
  if (errno != EACCES && errno != EPERM && errno != EROFS) return;  // libburn tells the rest
  throw DiscFailure(device + ": sem permissão de leitura e escrita (" + Reason(errno) + ")",
                    kNoPermissionSentence);
}

}  // namespace

// ---- DiscMaster --------------------------------------------------------------------

DiscMaster::DiscMaster(std::string imageFile, std::string deviceDirectory)
    : imageFile_(std::move(imageFile)), deviceDirectory_(std::move(deviceDirectory)) {}

void DiscMaster::Scan() {
  if (scanned_) return;
  burnlib::EnsureLibraries();
  burnlib::DrainMessages();
  recorders_.clear();
  described_.clear();
  std::vector<std::string> canonical;
  for (ScannedDrive& d : Drives().Scan()) {
    canonical.push_back(Canonical(d.address));
    recorders_.push_back(std::move(d));
    described_.push_back(true);
  }
  for (const std::string& dev : OpticalDevices(deviceDirectory_)) {
    if (std::find(canonical.begin(), canonical.end(), Canonical(dev)) != canonical.end()) continue;
    recorders_.push_back({dev, "", ""});
    described_.push_back(false);
  }
  if (!imageFile_.empty()) {
    recorders_.push_back(
        {std::string(kStdioPrefix) + imageFile_, kImageFileVendor, LeafOf(imageFile_)});
    described_.push_back(true);
  }
  burnlib::DrainMessages();
  scanned_ = true;
}

bool DiscMaster::IsSupportedEnvironment() { return Count() > 0; }

int DiscMaster::Count() {
  Scan();
  return static_cast<int>(recorders_.size());
}

std::string DiscMaster::Item(int index) {
  Scan();
  if (index < 0 || index >= static_cast<int>(recorders_.size())) {
    throw DiscFailure("Gravador " + std::to_string(index) + " não existe (há " +
                          std::to_string(recorders_.size()) + ")",
                      "O gravador " + std::to_string(index) + " n\xe3o existe");
  }
  return recorders_[static_cast<size_t>(index)].address;
}

bool DiscMaster::Describe(int index, std::string& vendor, std::string& product) {
  Scan();
  if (index < 0 || index >= static_cast<int>(recorders_.size())) return false;
  if (!described_[static_cast<size_t>(index)]) return false;
  const std::string& address = recorders_[static_cast<size_t>(index)].address;
  if (address.rfind(kStdioPrefix, 0) == 0) {
    // An image file that cannot be written is listed as unusable now, not after the
    // image was built.
    try {
      CheckImageTarget(address.substr(kStdioPrefix.size()));
    } catch (const DiscFailure& e) {
      std::cerr << "minigravador: " << e.what() << '\n';
      return false;
    }
  }
  vendor = recorders_[static_cast<size_t>(index)].vendor;
  product = recorders_[static_cast<size_t>(index)].product;
  return true;
}

void DiscMaster::Release() {
  scanned_ = false;
  recorders_.clear();
  described_.clear();
}

// ---- DiscRecorder ------------------------------------------------------------------

DiscRecorder::~DiscRecorder() { Release(); }

void DiscRecorder::InitializeDiscRecorder(const std::string& uniqueId) {
  Release();
  std::string image;
  if (uniqueId.rfind(kStdioPrefix, 0) == 0) {
    image = uniqueId.substr(kStdioPrefix.size());
    CheckImageTarget(image);
  } else {
    CheckDevicePermission(uniqueId);
  }
  burnlib::EnsureLibraries();
  burnlib::DrainMessages();
  drive_ = Drives().Grab(uniqueId);
  if (!drive_) {
    burnlib::FailBurn(uniqueId, "o gravador não pôde ser aberto", burnlib::kRecorderUnusable);
  }
  address_ = uniqueId;
  imagePath_ = image;
}

Drive& DiscRecorder::Device() const {
  if (!drive_) throw DiscFailure("Gravador não inicializado");
  return *drive_;
}

std::string DiscRecorder::VendorId() const {
  Drive& d = Device();
  return IsImageFile() ? std::string(kImageFileVendor) : d.Vendor();
}

std::string DiscRecorder::ProductId() const {
  Drive& d = Device();
  return IsImageFile() ? LeafOf(imagePath_) : d.Product();
}

void DiscRecorder::Drop(bool eject) {
  if (!drive_) return;
  if (drive_->Settled()) {
    drive_->Release(eject);
    drive_.reset();
  } else {
    ParkDrive(std::move(drive_));
  }
}

void DiscRecorder::EjectMedia() {
  if (!drive_) throw DiscFailure("Gravador não inicializado");
  Drop(!IsImageFile());
}

void DiscRecorder::Release() {
  Drop(false);
  address_.clear();
  imagePath_.clear();
}

}  // namespace mg
