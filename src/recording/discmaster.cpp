// Disc master (which recorders there are) and recorder object over libburn drives.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

}  // namespace

// ---- DiscMaster --------------------------------------------------------------------

DiscMaster::DiscMaster(std::string imageFile, std::string deviceDirectory)
    : imageFile_(std::move(imageFile)), deviceDirectory_(std::move(deviceDirectory)) {}

void DiscMaster::Scan() {
  if (scanned_) return;
  burnlib::EnsureLibraries();
  burnlib::DrainMessages();
  addresses_.clear();
  std::vector<std::string> canonical;
  burn::burn_drive_info* infos = nullptr;
  unsigned int n = 0;
  int r;
  while ((r = burn::burn_drive_scan(&infos, &n)) == 0) usleep(1000);
  if (r > 0 && infos) {
    for (unsigned int i = 0; i < n; ++i) {
      char adr[BURN_DRIVE_ADR_LEN] = {};
      if (burn::burn_drive_d_get_adr(infos[i].drive, adr) > 0) {
        addresses_.emplace_back(adr);
        canonical.push_back(Canonical(adr));
      }
    }
  }
  // Gives up the scanned drives at once: they are grabbed again one at a time.
  if (infos) burn::burn_drive_info_free(infos);
  for (const std::string& dev : OpticalDevices(deviceDirectory_)) {
    if (std::find(canonical.begin(), canonical.end(), Canonical(dev)) != canonical.end()) continue;
    addresses_.push_back(dev);
  }
  if (!imageFile_.empty()) addresses_.push_back(std::string(kStdioPrefix) + imageFile_);
  scanned_ = true;
}

bool DiscMaster::IsSupportedEnvironment() { return Count() > 0; }

int DiscMaster::Count() {
  Scan();
  return static_cast<int>(addresses_.size());
}

std::string DiscMaster::Item(int index) {
  Scan();
  if (index < 0 || index >= static_cast<int>(addresses_.size())) {
    throw DiscFailure("Gravador " + std::to_string(index) + " não existe (há " +
                          std::to_string(addresses_.size()) + ")",
                      "O gravador " + std::to_string(index) + " n\xe3o existe");
  }
  return addresses_[static_cast<size_t>(index)];
}

void DiscMaster::Release() {
  scanned_ = false;
  addresses_.clear();
}

// ---- DiscRecorder ------------------------------------------------------------------

DiscRecorder::~DiscRecorder() { Release(); }

void DiscRecorder::InitializeDiscRecorder(const std::string& uniqueId) {
  Release();
  std::string image;
  if (uniqueId.rfind(kStdioPrefix, 0) == 0) {
    image = uniqueId.substr(kStdioPrefix.size());
    CheckImageTarget(image);
  }
  info_ = burnlib::GrabDrive(uniqueId);
  address_ = uniqueId;
  imagePath_ = image;
}

std::string DiscRecorder::VendorId() const {
  if (!info_) throw DiscFailure("Gravador não inicializado");
  if (IsImageFile()) return kImageFileVendor;
  return info_[0].vendor;
}

std::string DiscRecorder::ProductId() const {
  if (!info_) throw DiscFailure("Gravador não inicializado");
  if (IsImageFile()) {
    const size_t slash = imagePath_.find_last_of('/');
    return slash == std::string::npos ? imagePath_ : imagePath_.substr(slash + 1);
  }
  return info_[0].product;
}

void DiscRecorder::EjectMedia() {
  if (!info_) throw DiscFailure("Gravador não inicializado");
  burnlib::ReleaseDrive(info_, !IsImageFile());
  info_ = nullptr;
}

void DiscRecorder::Release() {
  if (info_) burnlib::ReleaseDrive(info_, false);
  info_ = nullptr;
  address_.clear();
  imagePath_.clear();
}

}  // namespace mg
