// Image builder, its directories and results over libisofs.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "recording/discservice.h"
#include "recording/imagestate.h"
#include "recording/libraries.h"

namespace mg {
namespace {

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) return path;
  std::string base = cwd;
  if (base.back() != '/') base += '/';
  return base + path;
}

// "a/b/" -> "b"; "/" -> "".
std::string LeafName(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return path;
  return path.substr(slash + 1);
}

}  // namespace

ImageState::~ImageState() {
  if (image) iso_image_unref(image);
}

ImageOutput::~ImageOutput() {
  if (opts) iso_write_opts_free(opts);
  if (!source) return;
  burn::burn_source* src = burnlib::ToBurn(source);
  // A generator nobody read to its end still waits on its ring buffer: stop it.
  if (image && image->image && iso_image_generator_is_running(image->image)) {
    src->cancel(src);
    for (int i = 0; i < 1000 && iso_image_generator_is_running(image->image); ++i) usleep(10000);
  }
  burn::burn_source_free(src);
}

// ---- FileStream --------------------------------------------------------------------

FileStream::FileStream(const std::string& path) : path_(path), absolute_(Absolute(path)) {
  // A link stands for the file it leads to, which is then read by its own path.
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = realpath(path.c_str(), nullptr)) {
      absolute_ = real;
      std::free(real);
    }
  }
  fd_ = open(absolute_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) error_ = errno;
}

FileStream::~FileStream() {
  if (fd_ >= 0) close(fd_);
}

FileStream::FileStream(FileStream&& other) noexcept
    : fd_(other.fd_),
      error_(other.error_),
      path_(std::move(other.path_)),
      absolute_(std::move(other.absolute_)) {
  other.fd_ = -1;
}

FileStream& FileStream::operator=(FileStream&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.fd_;
    error_ = other.error_;
    path_ = std::move(other.path_);
    absolute_ = std::move(other.absolute_);
    other.fd_ = -1;
  }
  return *this;
}

// ---- DirectoryItem -----------------------------------------------------------------

void DirectoryItem::AddTree(const std::string& path, bool includeBaseDirectory) {
  burnlib::DrainMessages();
  burnlib::ImageVisitor visitor(*image_, static_cast<IsoDir*>(dir_));
  const std::string absolute = Absolute(path);
  if (!includeBaseDirectory) {
    for (const std::string& n : ReadFolderNames(absolute, path)) {
      image_->walker.Walk(absolute + "/" + n, n, n, visitor);
    }
    return;
  }
  const std::string name = LeafName(path);
  if (name.empty() || name == "." || name == "..") {
    throw DiscFailure(path + ": nome de pasta inválido para o disco");
  }
  image_->walker.Walk(absolute, path, name, visitor);
}

void DirectoryItem::AddFile(const std::string& name, FileStream& stream) {
  burnlib::DrainMessages();
  if (!stream.IsOpen()) {
    throw DiscFailure(stream.Path() + ": não foi possível abrir o arquivo (" +
                          std::strerror(stream.Error()) + ")",
                      CannotReadSentence(stream.Path()), stream.Path());
  }
  const std::string leaf = LeafName(name);
  if (leaf.empty() || leaf == "/") throw DiscFailure(name + ": nome de arquivo inválido");
  burnlib::ImageVisitor visitor(*image_, static_cast<IsoDir*>(dir_));
  visitor.AddFile(leaf, stream.AbsolutePath(), stream.Path(), stream.Descriptor());
}

// ---- Results -----------------------------------------------------------------------

int64_t DataStream::Size() const { return out_ ? out_->size : 0; }
bool DataStream::Consumed() const { return !out_ || out_->consumed; }
int64_t ImageResult::TotalBlocks() const { return out_ ? out_->size / 2048 : 0; }

// ---- ImageBuilder ------------------------------------------------------------------

ImageBuilder::ImageBuilder() = default;
ImageBuilder::~ImageBuilder() = default;

std::shared_ptr<ImageState> ImageBuilder::State() {
  if (image_) return image_;
  burnlib::EnsureLibraries();
  burnlib::DrainMessages();
  auto state = std::make_shared<ImageState>();
  const int r = iso_image_new(volumeName_.c_str(), &state->image);
  if (r < 0 || !state->image) burnlib::FailIso("Imagem", r);
  iso_tree_set_follow_symlinks(state->image, 0);
  iso_tree_set_ignore_hidden(state->image, 0);
  image_ = state;
  return image_;
}

void ImageBuilder::ChooseImageDefaults(DiscRecorder& recorder) {
  Drive& d = recorder.Device();
  burnlib::DrainMessages();
  const DiscStatus status = d.Status();
  std::string profileName;
  const int profile = d.Profile(profileName);
  // Overwritable media are written from their start whatever they hold.
  const bool overwritable =
      profile == 0x12 || profile == 0x13 || profile == 0x1a || profile == 0x2a || profile == 0x43;
  if (recorder.IsImageFile()) {
    // Image files are replaced whole and always count as blank.
  } else if (status == DiscStatus::Empty) {
    throw DiscFailure(recorder.UniqueId() + ": não há disco no gravador",
                      "N\xe3o h\xe1 disco no gravador");
  } else if (status == DiscStatus::Blank ||
             (overwritable && (status == DiscStatus::Full || status == DiscStatus::Appendable))) {
    // writable from the start
  } else if (status == DiscStatus::Appendable || status == DiscStatus::Full) {
    throw DiscFailure(recorder.UniqueId() + ": o disco não está vazio (" + profileName + ")",
                      "O disco n\xe3o est\xe1 vazio");
  } else {
    burnlib::FailBurn(recorder.UniqueId(), "disco impróprio para gravação (" + profileName + ")",
                      "Este disco n\xe3o serve para grava\xe7\xe3o");
  }
  cd_ = !recorder.IsImageFile() && IsCdProfile(profile);
  freeBytes_ =
      recorder.IsImageFile() ? burnlib::ImageFileSpace(recorder.ImagePath()) : d.AvailableSpace();
  auto state = State();
  struct stat st {};
  state->excludeTarget =
      recorder.IsImageFile() && stat(recorder.ImagePath().c_str(), &st) == 0 && S_ISREG(st.st_mode);
  state->targetDev = st.st_dev;
  state->targetIno = st.st_ino;
  level_ = 3;
}

void ImageBuilder::SourceFolders(FolderSet folders) {
  State()->walker = SourceWalker(std::move(folders));
}

void ImageBuilder::VolumeName(std::string_view name) {
  volumeName_ = std::string(name);
  if (image_) {
    std::string v = volumeName_;
    iso_image_set_volume_id(image_->image, v.c_str());
  }
}

std::string ImageBuilder::VolumeName() const { return volumeName_; }

void ImageBuilder::ISO9660InterchangeLevel(int level) {
  if (level < 1 || level > 3) {
    throw DiscFailure("Nível ISO 9660 inválido: " + std::to_string(level));
  }
  level_ = level;
}

DirectoryItem ImageBuilder::Root() {
  auto state = State();
  return DirectoryItem(state, iso_image_get_root(state->image));
}

ImageResult ImageBuilder::CreateResultImage() {
  auto state = State();
  burnlib::DrainMessages();
  IsoWriteOpts* opts = nullptr;
  int r = iso_write_opts_new(&opts, 0);
  if (r < 0) burnlib::FailIso("Imagem", r);
  iso_write_opts_set_iso_level(opts, level_);  // level 3: files of 4 GiB and more
  iso_write_opts_set_rockridge(opts, 1);
  iso_write_opts_set_joliet(opts, 1);
  // Joliet cuts names at 64 characters; 103 is what readers accept. Names that are
  // still too long get a unique ending from libisofs, so none is lost.
  iso_write_opts_set_joliet_long_names(opts, 1);
  iso_write_opts_set_joliet_longer_paths(opts, 1);
  iso_write_opts_set_joliet_utf16(opts, 1);
  iso_write_opts_set_output_charset(opts, "UTF-8");
  iso_write_opts_set_dir_rec_mtime(opts, 1);
  iso_write_opts_set_fifo_size(opts, 16384);  // 32 MiB between generator and drive
  // Part of the image's size, so that the capacity check counts it.
  if (cd_) iso_write_opts_set_tail_blocks(opts, kCdTailBlocks);
  auto out = std::make_shared<ImageOutput>();
  out->image = state;
  out->opts = opts;
  // The size alone: a generator that is cancelled at once and reads no file.
  iso_write_opts_set_will_cancel(opts, 1);
  ::burn_source* probe = nullptr;
  r = iso_image_create_burn_source(state->image, opts, &probe);
  iso_write_opts_set_will_cancel(opts, 0);
  if (r < 0 || !probe) burnlib::FailIso("Imagem", r);
  burn::burn_source* src = burnlib::ToBurn(probe);
  out->size = src->get_size(src);
  src->cancel(src);
  burn::burn_source_free(src);
  burnlib::DrainMessages();
  return ImageResult(out);
}

void burnlib::StartImageGenerator(ImageOutput& out) {
  if (out.source) return;
  const int r = iso_image_create_burn_source(out.image->image, out.opts, &out.source);
  if (r < 0 || !out.source) {
    out.source = nullptr;
    FailIso("Imagem", r);
  }
  burn::burn_source* src = ToBurn(out.source);
  if (src->get_size(src) != out.size) {
    throw DiscFailure("Imagem: o tamanho mudou depois de pronta");
  }
}

void ImageBuilder::Release() {
  image_.reset();
  freeBytes_ = -1;
}

}  // namespace mg
