#include "fileio.h"

#include <unistd.h>

#include <cerrno>

namespace mg {

size_t ReadFull(int fd, uint8_t* dst, size_t n) {
  size_t got = 0;
  while (got < n) {
    const ssize_t r = read(fd, dst + got, n - got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  return got;
}

}  // namespace mg
