#include "recording/mounts.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace mg {
namespace {

std::string g_table = "/proc/self/mountinfo";
std::string g_program = "udisksctl";

std::string RealPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string out = real;
  std::free(real);
  return out;
}

// mountinfo escapes blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

}  // namespace

void SetMountTable(std::string path) { g_table = std::move(path); }
void SetUnmountProgram(std::string program) { g_program = std::move(program); }

std::vector<std::string> MountPointsOf(const std::string& device) {
  std::vector<std::string> points;
  const std::string real = RealPath(device);
  struct stat st {};
  const bool isBlock = stat(real.c_str(), &st) == 0 && S_ISBLK(st.st_mode);
  std::ifstream in(g_table);
  std::string line;
  // A line: id parent major:minor root mountpoint options [optional...] - type source super
  for (int lines = 0; lines < 100000 && std::getline(in, line); ++lines) {
    std::istringstream fields(line);
    std::string id, parent, numbers, root, point, field;
    if (!(fields >> id >> parent >> numbers >> root >> point)) continue;
    while (fields >> field && field != "-") {
    }
    std::string type, source;
    if (field != "-" || !(fields >> type >> source)) continue;
    bool same = RealPath(Unescape(source)) == real;
    if (!same && isBlock) {
      unsigned major = 0, minor = 0;
      char colon = 0;
      std::istringstream n(numbers);
      same = (n >> major >> colon >> minor) && colon == ':' && major == major(st.st_rdev) &&
             minor == minor(st.st_rdev);
    }
    if (same) points.push_back(Unescape(point));
  }
  return points;
}

UnmountResult Unmount(const std::string& device, int seconds,
                      const std::function<void()>& meanwhile) {
  const pid_t pid = fork();
  if (pid < 0) return UnmountResult::Failed;
  if (pid == 0) {
    // Its chatter belongs on standard error, never on the console's output.
    dup2(STDERR_FILENO, STDOUT_FILENO);
    execlp(g_program.c_str(), g_program.c_str(), "unmount", "--no-user-interaction", "-b",
           device.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  for (;;) {
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) break;
    if (r < 0 && errno != EINTR) return UnmountResult::Failed;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return UnmountResult::TimedOut;
    }
    if (meanwhile) meanwhile();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!WIFEXITED(status)) return UnmountResult::Failed;
  if (WEXITSTATUS(status) == 127) return UnmountResult::NoProgram;
  return WEXITSTATUS(status) == 0 ? UnmountResult::Done : UnmountResult::Failed;
}

}  // namespace mg
