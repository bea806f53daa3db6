// Running the console probe as a child process and reading back its screen dump.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace mg::e2e {

inline std::string ProbePath() { return std::string(MG_BINARY_DIR) + "/bin/console_probe"; }

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

struct Dump {
  bool ok = false;
  std::vector<std::string> rows;   // UTF-8
  std::vector<std::string> attrs;  // 160 hex digits each
  std::string cursor;
  std::string Attr(int column, int row) const {
    return attrs.at(row - 1).substr((column - 1) * 2, 2);
  }
  // Row without its trailing blanks.
  std::string Text(int row) const {
    std::string r = rows.at(row - 1);
    while (!r.empty() && r.back() == ' ') r.pop_back();
    return r;
  }
};

inline Dump ReadDump(const std::string& path) {
  Dump d;
  std::ifstream in(path);
  std::string line;
  for (int i = 0; i < 25 && std::getline(in, line); ++i) d.rows.push_back(line);
  if (!std::getline(in, line) || line != "attributes") return d;
  for (int i = 0; i < 25 && std::getline(in, line); ++i) d.attrs.push_back(line);
  std::getline(in, d.cursor);
  d.ok = d.rows.size() == 25 && d.attrs.size() == 25;
  return d;
}

struct Child {
  pid_t pid = -1;
  // Exit status, or -1 when it had to be killed after the time limit.
  int Wait(int seconds = 60) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
      if (waitpid(pid, &status, WNOHANG) == pid) {
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
};

// Starts `program` with the environment changed by `env` (an empty value unsets) and
// stderr going to `errFile`.
inline Child Start(const std::vector<std::string>& argv,
                   const std::map<std::string, std::string>& env, const std::string& errFile) {
  Child c;
  c.pid = fork();
  if (c.pid == 0) {
    for (const auto& [k, v] : env) {
      if (v.empty()) {
        unsetenv(k.c_str());
      } else {
        setenv(k.c_str(), v.c_str(), 1);
      }
    }
    const int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) dup2(fd, 2);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, 0);
      dup2(null, 1);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  return c;
}

}  // namespace mg::e2e
