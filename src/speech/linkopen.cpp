#include "speech/linkopen.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "common/cp1252.h"
#include "common/paths.h"
#include "console/console.h"
#include "speech/config.h"
#include "speech/speech.h"

namespace mg {
namespace {

LinkLauncher& Launcher() {
  static LinkLauncher launcher;
  return launcher;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// Upper case of a-z and of the Latin-1 lower-case letters (224-254 except the division
// sign).
char UpperLatin1(char ch) {
  const auto c = static_cast<unsigned char>(ch);
  if ((c >= 'a' && c <= 'z') || (c >= 224 && c <= 254 && c != 247)) {
    return static_cast<char>(c - 32);
  }
  return ch;
}

bool IsAbsoluteSuitePath(std::string_view w) {
  if (w.size() >= 2 && w[1] == ':' &&
      ((w[0] >= 'A' && w[0] <= 'Z') || (w[0] >= 'a' && w[0] <= 'z'))) {
    return true;
  }
  return !w.empty() && (w[0] == '\\' || w[0] == '/');
}

std::string CurrentDirectory() {
  char buf[PATH_MAX];
  if (getcwd(buf, sizeof buf) == nullptr) return "/";
  return buf;
}

void WaitForSilence() {
  while (IsSpeaking()) WaitMessage(20);
}

// Writes errno to the status pipe; the parent reads it as "could not start".
void ReportErrno(int fd) {
  const int e = errno;
  ssize_t n;
  do {
    n = write(fd, &e, sizeof e);
  } while (n < 0 && errno == EINTR);
}

}  // namespace

LinkCommand ResolveLink(std::string_view word, const std::string& directory,
                        const LinkProgramReader& readProgram) {
  LinkCommand cmd;
  cmd.directory = directory;
  if (StartsWith(word, "http://") || StartsWith(word, "https://") || StartsWith(word, "www.")) {
    const std::string program = readProgram("HTM");
    cmd.argv = {program.empty() ? "xdg-open" : ToLinuxPath(program), Cp1252ToUtf8(word)};
    return cmd;
  }
  const size_t dot = word.find('.');
  std::string ext(dot == std::string_view::npos ? word.substr(0, 3) : word.substr(dot + 1, 3));
  for (char& c : ext) c = UpperLatin1(c);
  if (ext != "EXE" && ext != "COM") {
    const std::string program = readProgram(ext);
    if (program.empty()) {
      cmd.argv = {"xdg-open", ToLinuxPath(word)};
    } else {
      cmd.argv = {ToLinuxPath(program), ToLinuxPath(word)};
    }
    return cmd;
  }
  if (IsAbsoluteSuitePath(word)) {
    cmd.argv = {ToLinuxPath(word)};
  } else {
    std::string path = directory;
    if (path.empty() || path.back() != '/') path += '/';
    cmd.argv = {path + ToLinuxPath(word)};
  }
  return cmd;
}

bool LaunchDetached(const LinkCommand& command) {
  if (command.argv.empty() || command.argv[0].empty()) return false;
  // Everything the child needs is prepared before fork: after it only calls that are
  // safe in a child of a threaded program are made.
  std::vector<char*> argv;
  for (const std::string& a : command.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const char* dir = command.directory.empty() ? nullptr : command.directory.c_str();

  int status[2];
  if (pipe2(status, O_CLOEXEC) != 0) return false;
  const pid_t child = fork();
  if (child < 0) {
    close(status[0]);
    close(status[1]);
    return false;
  }
  if (child == 0) {
    // The intermediate child starts the program in a session of its own and leaves at
    // once, so the program is never our child and leaves no zombie behind.
    close(status[0]);
    setsid();
    const pid_t grandchild = fork();
    if (grandchild < 0) {
      ReportErrno(status[1]);
      _exit(1);
    }
    if (grandchild > 0) _exit(0);
    const int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) {
      dup2(devnull, 0);
      if (devnull != 0) close(devnull);
    }
    if (dir != nullptr && chdir(dir) != 0) {
      ReportErrno(status[1]);
      _exit(127);
    }
    execvp(argv[0], argv.data());
    ReportErrno(status[1]);
    _exit(127);
  }
  close(status[1]);
  int ws = 0;
  while (waitpid(child, &ws, 0) < 0 && errno == EINTR) {
  }
  // The pipe closes on a successful exec; an errno arrives when the start failed.
  int err = 0;
  ssize_t n;
  do {
    n = read(status[0], &err, sizeof err);
  } while (n < 0 && errno == EINTR);
  close(status[0]);
  return n == 0 && WIFEXITED(ws) && WEXITSTATUS(ws) == 0;
}

void SetLinkLauncher(LinkLauncher launcher) { Launcher() = std::move(launcher); }

void OpenLink(std::string_view word) {
  const LinkCommand cmd = ResolveLink(word, CurrentDirectory(), [](std::string_view key) {
    return key == "HTM" ? ReadLinkProgram() : ReadProgramForExtension(key);
  });
  WaitForSilence();
  const bool started = Launcher() ? Launcher()(cmd) : LaunchDetached(cmd);
  if (!started) SoundBeep();
  WaitForSilence();
}

}  // namespace mg
