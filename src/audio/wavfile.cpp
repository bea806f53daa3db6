// Playing WAV files and WAV images: walking the RIFF chunks to the format and the
// samples, every size checked against what is really there.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "audio/snwav.h"
#include "common/fileio.h"
#include "common/paths.h"
#include "console/console.h"

namespace mg {
namespace {

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool SameId(const uint8_t* p, const char* id, bool ignoreCase) {
  for (int i = 0; i < 4; ++i) {
    const int a = ignoreCase ? std::tolower(p[i]) : p[i];
    const int b = ignoreCase ? std::tolower(static_cast<unsigned char>(id[i]))
                             : static_cast<unsigned char>(id[i]);
    if (a != b) return false;
  }
  return true;
}

struct WavFormat {
  uint16_t tag = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
};

WavFormat ParseFmt(const uint8_t* body) {
  WavFormat f;
  f.tag = Le16(body);
  f.channels = Le16(body + 2);
  f.rate = Le32(body + 4);
  f.bits = Le16(body + 14);
  return f;
}

// PCM, or the extensible header (whose samples our callers only ever write as PCM).
bool IsPcm(const WavFormat& f) { return f.tag == 1 || f.tag == 0xFFFE; }

uint8_t g_readBuffer[kWavBufferSize];  // file reading, allocated once

// Block size for the bytes still to play: never leave a last block under 256 bytes.
uint32_t BlockSize(uint64_t remaining) {
  if (remaining <= kWavBufferSize) return static_cast<uint32_t>(remaining);
  if (remaining <= kWavBufferSize + 255) return 7936;
  return kWavBufferSize;
}

// Plays an open file positioned at its start; the caller closes it.
int PlayFile(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  const uint64_t fileSize = static_cast<uint64_t>(st.st_size);
  uint8_t head[20];
  if (ReadFull(fd, head, 20) != 20) return -1;
  if (!SameId(head, "RIFF", false) || !SameId(head + 12, "fmt ", false)) return -1;
  const uint32_t fmtSize = Le32(head + 16);
  if (fmtSize < 16 || fmtSize > sizeof g_readBuffer) return -1;
  if (ReadFull(fd, g_readBuffer, fmtSize) != fmtSize) return -1;
  const WavFormat f = ParseFmt(g_readBuffer);
  uint64_t pos = 20 + static_cast<uint64_t>(fmtSize);
  if (fmtSize & 1) {
    if (lseek(fd, 1, SEEK_CUR) < 0) return -1;
    ++pos;
  }
  for (;;) {
    uint8_t chunk[8];
    if (ReadFull(fd, chunk, 8) != 8) return -1;  // no "data" chunk
    pos += 8;
    const uint64_t size = Le32(chunk + 4);
    if (size > fileSize - std::min(pos, fileSize)) return -1;  // claims more than is there
    if (!SameId(chunk, "data", false)) {
      const uint64_t skip = size + (size & 1);
      if (lseek(fd, static_cast<off_t>(skip), SEEK_CUR) < 0) return -1;
      pos += skip;
      continue;
    }
    if (size == 0) return 0;
    if (!IsPcm(f)) return kWavErrBadFormat;
    int result = 0;
    uint64_t remaining = size;
    SnWavFlags& flags = WavFlags();
    while (remaining > 0) {
      const uint32_t want = BlockSize(remaining);
      const size_t got = ReadFull(fd, g_readBuffer, want);
      if (got == 0) return -1;
      result = TocaPCM(g_readBuffer, static_cast<uint32_t>(got), f.rate, f.channels, f.bits);
      remaining -= got;
      if (result != 0 || (flags.keyInterrupt && KeyWaiting())) break;
    }
    return result;
  }
}

std::string RapidoPath(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return "rapido\\" + path;
  return path.substr(0, slash + 1) + "rapido\\" + path.substr(slash + 1);
}

}  // namespace

int TocaArquivo(const std::string& path) {
  SnWavFlags& flags = WavFlags();
  if (flags.keyInterrupt && KeyWaiting()) {
    ParaSom();
    return 0;
  }
  if (flags.cutSpeech) {
    const std::string fast = RapidoPath(path);
    if (FileExists(ToLinuxPath(fast))) {
      flags.cutSpeech = false;
      const int r = TocaArquivo(fast);
      flags.cutSpeech = true;
      return r;
    }
  }
  const std::string linuxPath = ToLinuxPath(path);
  const int fd = open(linuxPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (WavTrace().fileOpened) WavTrace().fileOpened(path);
  const int result = PlayFile(fd);
  close(fd);
  if (!flags.noWait) {
    while (Tocando()) WaitMessage(50);
  }
  return result;
}

int TocaMemoria(const uint8_t* image, uint32_t size) {
  if (image == nullptr || size < 20) return -1;
  if (!SameId(image, "RIFF", true) || !SameId(image + 12, "fmt ", true)) return -1;
  const uint32_t fmtSize = Le32(image + 16);
  if (fmtSize < 16 || fmtSize > size - 20) return -1;
  const WavFormat f = ParseFmt(image + 20);
  uint64_t pos = 20 + static_cast<uint64_t>(fmtSize) + (fmtSize & 1);
  while (pos + 8 <= size) {
    const uint8_t* chunk = image + pos;
    const uint64_t chunkSize = Le32(chunk + 4);
    pos += 8;
    if (chunkSize > size - pos) return -1;
    if (SameId(chunk, "data", true)) {
      if (chunkSize == 0) return 0;
      if (!IsPcm(f)) return kWavErrBadFormat;
      return TocaPCM(image + pos, static_cast<uint32_t>(chunkSize), f.rate, f.channels, f.bits);
    }
    pos += chunkSize + (chunkSize & 1);
  }
  return -1;
}

}  // namespace mg
