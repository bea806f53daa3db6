#include "userstate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

#include "paths.h"

namespace mg {
namespace {

constexpr size_t kMaxFile = 64 * 1024;

std::string StateFolder() {
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') {
    return std::string(x) + "/minigravador";
  }
  return HomeDirectory() + "/.config/minigravador";
}

bool ValidKey(std::string_view key) {
  if (key.empty()) return false;
  for (char c : key) {
    if (c == '=' || c == '\n' || c == '\r' || c == '\0') return false;
  }
  return true;
}

std::vector<std::pair<std::string, std::string>> ReadAll() {
  std::vector<std::pair<std::string, std::string>> entries;
  const int fd = open(UserStatePath().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return entries;
  std::string text;
  char buf[4096];
  for (;;) {
    const ssize_t r = read(fd, buf, sizeof buf);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    text.append(buf, static_cast<size_t>(r));
    if (text.size() > kMaxFile) {
      close(fd);
      return {};
    }
  }
  close(fd);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t eq = line.find('=');
    // A line holding NUL or a carriage return other than its ending is damaged: such a
    // value can never have been written, and would not read back the same once written.
    if (eq != std::string_view::npos && eq > 0 && line.find('\0') == std::string_view::npos &&
        line.find('\r') == std::string_view::npos) {
      entries.emplace_back(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
    }
    pos = end + 1;
  }
  return entries;
}

bool WriteAllBytes(int fd, const std::string& s) {
  size_t done = 0;
  while (done < s.size()) {
    const ssize_t w = write(fd, s.data() + done, s.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    done += static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

std::string UserStatePath() { return StateFolder() + "/estado"; }

std::optional<std::string> ReadUserState(std::string_view key) {
  std::optional<std::string> found;
  // The last line of a key wins, as a hand-edited file would expect.
  for (auto& [k, v] : ReadAll()) {
    if (k == key) found = std::move(v);
  }
  return found;
}

bool WriteUserState(std::string_view key, std::string_view value) {
  if (!ValidKey(key)) return false;
  for (char c : value) {
    if (c == '\n' || c == '\r' || c == '\0') return false;
  }
  const std::string folder = StateFolder();
  // The parent (~/.config) may be missing on a fresh account as well.
  const size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0) mkdir(folder.substr(0, slash).c_str(), 0700);
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;

  std::string text;
  bool replaced = false;
  for (auto& [k, v] : ReadAll()) {
    if (k == key) {
      if (replaced) continue;
      v = std::string(value);
      replaced = true;
    }
    text += k + "=" + v + "\n";
  }
  if (!replaced) text += std::string(key) + "=" + std::string(value) + "\n";
  if (text.size() > kMaxFile) return false;

  const std::string path = UserStatePath();
  const std::string tmp = path + ".tmp" + std::to_string(getpid());
  const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool ok = WriteAllBytes(fd, text) && fsync(fd) == 0;
  if (close(fd) != 0 || !ok || rename(tmp.c_str(), path.c_str()) != 0) {
    unlink(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace mg
