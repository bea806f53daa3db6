#include "sapi_test_util.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "console/sysconfig.h"

namespace mg::test {

void UseConfig(const std::string& home, const std::vector<std::string>& overrides) {
  std::map<std::string, std::map<std::string, std::string>> wanted;
  for (const std::string& o : overrides) {
    const size_t slash = o.find('/'), eq = o.find('=');
    wanted[o.substr(0, slash)][o.substr(slash + 1, eq - slash - 1)] = o.substr(eq + 1);
  }
  std::istringstream in(ReadFile(std::string(MG_BINARY_DIR) + "/etc/Sonela.ini"));
  std::ostringstream out;
  std::string line, section;
  auto flush = [&] {
    for (const auto& [key, value] : wanted[section]) out << key << "=" << value << "\r\n";
    wanted.erase(section);
  };
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      flush();
      section = line.substr(1, line.find(']') - 1);
    } else if (const size_t eq = line.find('='); eq != std::string::npos && line[0] != ';' &&
                                                 wanted[section].count(line.substr(0, eq))) {
      continue;  // replaced at the section's end
    }
    out << line << "\r\n";
  }
  flush();
  for (const auto& [sec, keys] : wanted) {
    out << "[" << sec << "]\r\n";
    for (const auto& [key, value] : keys) out << key << "=" << value << "\r\n";
  }
  std::filesystem::create_directories(home + "/Sonela");
  WriteFile(home + "/Sonela/Sonela.ini", out.str());
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  FlushProfileCache();
}

size_t LoudSamples(const std::string& pcm16, int threshold) {
  size_t n = 0;
  for (size_t i = 0; i + 1 < pcm16.size(); i += 2) {
    const int16_t s = static_cast<int16_t>(static_cast<uint8_t>(pcm16[i]) |
                                           (static_cast<uint8_t>(pcm16[i + 1]) << 8));
    n += std::abs(s) > threshold;
  }
  return n;
}

namespace {
int16_t SampleAt(const std::string& pcm16, size_t i) {
  return static_cast<int16_t>(static_cast<uint8_t>(pcm16[2 * i]) |
                              (static_cast<uint8_t>(pcm16[2 * i + 1]) << 8));
}
}  // namespace

double FirstLoud(const std::string& pcm16, int rate, int threshold) {
  for (size_t i = 0; i < pcm16.size() / 2; ++i)
    if (std::abs(SampleAt(pcm16, i)) > threshold) return static_cast<double>(i) / rate;
  return -1;
}

double LastLoud(const std::string& pcm16, int rate, int threshold) {
  for (size_t i = pcm16.size() / 2; i-- > 0;)
    if (std::abs(SampleAt(pcm16, i)) > threshold) return static_cast<double>(i) / rate;
  return -1;
}

SinkRecorder::SinkRecorder() {
  const char* sink = getenv("MG_PULSE_SINK");
  if (sink == nullptr || dir_.path().empty()) return;
  file_ = dir_ / "sink.raw";
  const std::string device = std::string(sink) + ".monitor";
  pid_ = fork();
  if (pid_ == 0) {
    const int fd = open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || dup2(fd, 1) < 0) _exit(126);
    execlp("parec", "parec", "-d", device.c_str(), "--raw", "--format=s16le", "--rate=22050",
           "--channels=1", "--latency-msec=10", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Recording has begun once the first samples (silence) arrive.
  for (int i = 0; i < 150 && Size() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

SinkRecorder::~SinkRecorder() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

std::string SinkRecorder::Take() { return ReadFile(file_); }

size_t SinkRecorder::Size() const {
  struct stat st {};
  return stat(file_.c_str(), &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
}

bool ServicesPresent(const std::vector<const char*>& variables, std::string& missing) {
  for (const char* v : variables) {
    const char* value = getenv(v);
    if (value == nullptr || *value == 0) missing += std::string(missing.empty() ? "" : ", ") + v;
  }
  return missing.empty();
}

}  // namespace mg::test
