#include "brltty_fixture.h"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mg::test {
namespace {

using Clock = std::chrono::steady_clock;

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

std::string FindBrltty() {
  for (const char* dir : {"/usr/bin", "/usr/sbin", "/bin", "/sbin", "/usr/local/bin"}) {
    const std::string p = std::string(dir) + "/brltty";
    if (access(p.c_str(), X_OK) == 0) return p;
  }
  return "";
}

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// BRLTTY leaves its BrlAPI socket and lock file behind when it is killed; remove them
// when the lock names the process that is gone.
void RemoveStaleSocket(int host, pid_t pid) {
  const std::string socket = "/var/lib/BrlAPI/" + std::to_string(host);
  const std::string lock = "/var/lib/BrlAPI/." + std::to_string(host);
  FILE* f = std::fopen(lock.c_str(), "r");
  if (f == nullptr) return;
  long owner = 0;
  const bool read = std::fscanf(f, "%ld", &owner) == 1;
  std::fclose(f);
  if (!read || owner != pid) return;
  unlink(socket.c_str());
  unlink(lock.c_str());
}

}  // namespace

bool ServicesRequired() {
  const char* v = std::getenv("MG_REQUIRE_SERVICES");
  return v != nullptr && std::strcmp(v, "1") == 0;
}

bool PrivateBrltty::Start(const std::string& dir, std::string& why) {
  host_ = 0;
  return Run(dir, why);
}

bool PrivateBrltty::Restart(std::string& why) {
  Kill();
  return Run(dir_, why);
}

bool PrivateBrltty::Run(const std::string& dir, std::string& why) {
  const std::string brltty = FindBrltty();
  if (brltty.empty()) {
    why = "brltty is not installed";
    return false;
  }
  dir_ = dir;
  mkdir(dir_.c_str(), 0700);
  mkdir((dir_ + "/brlapi").c_str(), 0700);
  unlink(vr_socket().c_str());
  // A host number no other BRLTTY on this machine uses: its socket does not exist.
  static int next = 0;
  for (int i = 0; i < 200 && host_ == 0; ++i) {
    const int candidate = 2000 + (getpid() * 37 + next++ * 101) % 30000;
    if (!Exists("/var/lib/BrlAPI/" + std::to_string(candidate))) host_ = candidate;
  }
  if (host_ == 0) {
    why = "no free BrlAPI host number";
    return false;
  }
  const std::string device = "server:" + vr_socket();
  const std::string api = "host=:" + std::to_string(host_) + ",auth=none";
  const std::string log = dir_ + "/brltty.log";
  pid_ = fork();
  if (pid_ == 0) {
    FILE* out = std::freopen(log.c_str(), "w", stderr);
    (void)out;
    dup2(2, 1);
    execl(brltty.c_str(), "brltty", "-n", "-e", "-q", "-b", "vr", "-d", device.c_str(), "-x", "no",
          "-s", "no", "-A", api.c_str(), "-W", (dir_ + "/brlapi").c_str(), "-f", "/dev/null",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid_ < 0) {
    why = "fork failed";
    return false;
  }
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!Exists(vr_socket())) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      why = "brltty ended at once (see " + log + ")";
      return false;
    }
    if (Clock::now() > deadline) {
      why = "brltty did not open its vr socket";
      Stop();
      return false;
    }
    usleep(20000);
  }
  return true;
}

void PrivateBrltty::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  bool ended = false;
  for (int i = 0; i < 100 && !ended; ++i) {
    ended = waitpid(pid_, &status, WNOHANG) == pid_;
    if (!ended) usleep(20000);
  }
  if (!ended) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  RemoveStaleSocket(host_, pid_);
  pid_ = -1;
}

void PrivateBrltty::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  RemoveStaleSocket(host_, pid_);
  pid_ = -1;
}

FakeDisplay::~FakeDisplay() {
  if (fd_ >= 0) close(fd_);
}

bool FakeDisplay::Connect(const std::string& socket, int cells, std::string& why) {
  fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (socket.size() >= sizeof addr.sun_path) {
    why = "socket path too long";
    return false;
  }
  std::strcpy(addr.sun_path, socket.c_str());
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    if (Clock::now() > deadline) {
      why = std::string("cannot connect to the vr socket: ") + std::strerror(errno);
      return false;
    }
    usleep(50000);
  }
  Send("cells " + std::to_string(cells));
  // BRLTTY shows something of its own once the display is there.
  if (!WaitAnyChange(10000)) {
    why = "brltty showed nothing on the display";
    return false;
  }
  return true;
}

void FakeDisplay::Send(const std::string& command) {
  const std::string line = command + "\n";
  if (send(fd_, line.data(), line.size(), MSG_NOSIGNAL) < 0) return;
}

bool FakeDisplay::ReadLine(int ms, std::string& line) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    const size_t nl = pending_.find('\n');
    if (nl != std::string::npos) {
      line = pending_.substr(0, nl);
      pending_.erase(0, nl + 1);
      return true;
    }
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, MsLeft(deadline)) <= 0) return false;
    char buf[4096];
    const ssize_t n = recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) return false;
    pending_.append(buf, static_cast<size_t>(n));
  }
}

namespace {

// `Braille "1|12| |..."` -> dot patterns; false for other lines.
bool ParseBraille(const std::string& line, std::vector<uint8_t>& cells) {
  if (line.rfind("Braille ", 0) != 0) return false;
  const size_t open = line.find('"');
  const size_t close = line.rfind('"');
  if (open == std::string::npos || close <= open) return false;
  cells.clear();
  uint8_t cell = 0;
  for (size_t i = open + 1; i < close; ++i) {
    const char c = line[i];
    if (c == '|') {
      cells.push_back(cell);
      cell = 0;
    } else if (c >= '1' && c <= '8') {
      cell = static_cast<uint8_t>(cell | 1 << (c - '1'));
    }
  }
  cells.push_back(cell);
  return true;
}

}  // namespace

bool FakeDisplay::WaitFor(const std::vector<uint8_t>& want, int ms, std::vector<uint8_t>* last) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  bool ok = cells_ == want;
  std::string line;
  while (!ok && ReadLine(MsLeft(deadline), line)) {
    if (ParseBraille(line, cells_)) ok = cells_ == want;
  }
  if (last != nullptr) *last = cells_;
  return ok;
}

bool FakeDisplay::WaitAnyChange(int ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  std::string line;
  std::vector<uint8_t> cells;
  while (ReadLine(MsLeft(deadline), line)) {
    if (ParseBraille(line, cells) && cells != cells_) {
      cells_ = cells;
      return true;
    }
  }
  return false;
}

std::string DescribeCells(const std::vector<uint8_t>& cells) {
  std::string s;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) s += '|';
    for (int d = 0; d < 8; ++d) {
      if (cells[i] & (1 << d)) s += static_cast<char>('1' + d);
    }
    if ((cells[i] & 0xFF) == 0) s += ' ';
  }
  return s;
}

}  // namespace mg::test
