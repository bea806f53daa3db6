#include "recording/isoimage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "recording/discfailure.h"

namespace mg {

bool IsIsoImageFile(const std::string& path, int64_t& bytes) {
  constexpr off_t kDescriptorAt = 16 * 2048;
  if (path.empty()) return false;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  unsigned char d[7] = {};
  const bool iso = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                   st.st_size >= kDescriptorAt + 2048 &&
                   pread(fd, d, sizeof d, kDescriptorAt) == static_cast<ssize_t>(sizeof d) &&
                   d[0] == 1 && std::memcmp(d + 1, "CD001", 5) == 0 && d[6] == 1;
  close(fd);
  if (iso) bytes = st.st_size;
  return iso;
}

std::string IsoImageQuestion(const std::string& path, int64_t bytes) {
  constexpr int64_t kMegabyte = 1024 * 1024;
  std::string name = path;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  if (const size_t slash = name.find_last_of('/'); slash != std::string::npos) {
    name = name.substr(slash + 1);
  }
  return "Arquivo de imagem: " + DiskNameForUser(name) + ", " +
         std::to_string((bytes + kMegabyte - 1) / kMegabyte) +
         " megabytes. Gravar a imagem como est\xe1? S/N";
}

}  // namespace mg
