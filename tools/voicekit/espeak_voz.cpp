// espeak-ng is run as a program, one process per utterance: its library keeps state from
// one utterance to the next (the same text comes out different the second time), while a
// fresh process always gives the same samples.
#include "espeak_voz.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace mg::kit {
namespace {

uint64_t Fnv1a(const std::string& s) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

// Runs the program with its arguments (no shell) and returns what it wrote to stdout.
bool Run(const std::vector<std::string>& args, std::string& out) {
  out.clear();
  int fds[2];
  if (pipe(fds) != 0) return false;
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
  posix_spawn_file_actions_addclose(&fa, fds[0]);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return false;
  }
  char buf[65536];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

uint32_t Le32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<uint32_t>(u[3]) << 24);
}

// 16-bit mono samples of espeak-ng's WAV output; the data length it writes is not
// reliable when writing to a pipe, so the samples run to the end.
bool ParseWav(const std::string& w, std::vector<int16_t>& out, uint32_t& rate) {
  if (w.size() < 12 || w.compare(0, 4, "RIFF") != 0) return false;
  size_t pos = 12;
  uint16_t bits = 0, channels = 0;
  while (pos + 8 <= w.size()) {
    const uint32_t len = Le32(w.data() + pos + 4);
    if (w.compare(pos, 4, "data") == 0) {
      if (bits != 16 || channels != 1) return false;
      pos += 8;
      out.resize((w.size() - pos) / 2);
      std::memcpy(out.data(), w.data() + pos, out.size() * 2);
      return true;
    }
    if (w.compare(pos, 4, "fmt ") == 0 && len >= 16 && pos + 8 + 16 <= w.size()) {
      channels = static_cast<uint16_t>(static_cast<unsigned char>(w[pos + 10]) |
                                       (static_cast<unsigned char>(w[pos + 11]) << 8));
      rate = Le32(w.data() + pos + 12);
      bits = static_cast<uint16_t>(static_cast<unsigned char>(w[pos + 22]) |
                                   (static_cast<unsigned char>(w[pos + 23]) << 8));
    }
    pos += 8 + static_cast<size_t>(len);
  }
  return false;
}

}  // namespace

bool EspeakVoz::Open(const std::string& cacheDir) {
  std::string version;
  if (!Run({"espeak-ng", "--version"}, version) || version.empty()) return false;
  while (!version.empty() && (version.back() == '\n' || version.back() == '\r')) version.pop_back();
  version_ = version;
  cacheDir_ = cacheDir;
  if (!cacheDir_.empty()) std::filesystem::create_directories(cacheDir_);
  // The voice must exist and give sound.
  std::string probe;
  std::vector<int16_t> samples;
  if (!Run({"espeak-ng", "-v", "pt-br", "--stdout", "a"}, probe) ||
      !ParseWav(probe, samples, rate_) || samples.empty())
    return false;
  open_ = true;
  return true;
}

EspeakVoz::~EspeakVoz() = default;

std::vector<int16_t> EspeakVoz::Speak(const std::string& text, int rate, bool phonemes) {
  const std::string input = phonemes ? "[[" + text + "]]" : text;
  const std::string key = version_ + "|pt-br|" + std::to_string(rate) + "|" + input;
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.raw", static_cast<unsigned long long>(Fnv1a(key)));
  const std::filesystem::path cached =
      cacheDir_.empty() ? std::filesystem::path() : std::filesystem::path(cacheDir_) / name;
  std::vector<int16_t> out;
  if (!cached.empty()) {
    // A cache file starts with its key, so that a hash collision is never taken for a hit.
    std::ifstream in(cached, std::ios::binary);
    uint32_t keyLen = 0;
    if (in.read(reinterpret_cast<char*>(&keyLen), 4) && keyLen == key.size()) {
      std::string stored(keyLen, '\0');
      if (in.read(stored.data(), keyLen) && stored == key) {
        std::vector<char> rest((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        out.resize(rest.size() / 2);
        std::memcpy(out.data(), rest.data(), out.size() * 2);
        ++hits_;
        return out;
      }
    }
  }
  ++misses_;
  if (!open_) return {};
  std::string wav;
  uint32_t wavRate = 0;
  if (!Run({"espeak-ng", "-v", "pt-br", "-b", "1", "-s", std::to_string(rate), "--stdout", "--",
            input},
           wav) ||
      !ParseWav(wav, out, wavRate) || wavRate != rate_)
    return {};
  if (!cached.empty()) {
    const std::filesystem::path tmp = cached.string() + ".tmp";
    {
      std::ofstream o(tmp, std::ios::binary);
      const uint32_t keyLen = static_cast<uint32_t>(key.size());
      o.write(reinterpret_cast<const char*>(&keyLen), 4);
      o.write(key.data(), static_cast<std::streamsize>(key.size()));
      o.write(reinterpret_cast<const char*>(out.data()),
              static_cast<std::streamsize>(out.size() * 2));
    }
    std::error_code ec;
    std::filesystem::rename(tmp, cached, ec);
  }
  return out;
}

}  // namespace mg::kit
