// A private BRLTTY for tests and benchmarks: its virtual driver (vr) listens on a unix
// socket in a folder of the test, BrlAPI on a host number of its own (so tests running
// in parallel never meet), no authorisation. The test connects to the vr socket as the
// braille display: it says how many cells it has, reads back what is shown and sends
// BRLTTY commands as if its keys were pressed. BRLTTY is started and stopped by its PID.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace mg::test {

class PrivateBrltty {
 public:
  ~PrivateBrltty() { Stop(); }
  // Starts BRLTTY with its files under `dir`; false with the reason in `why`.
  bool Start(const std::string& dir, std::string& why);
  void Stop();  // SIGTERM, then SIGKILL after two seconds
  void Kill();  // SIGKILL at once: BRLTTY vanishes as in a crash
  // Kills it and starts it again on the same folder and host number (a BRLTTY restart).
  bool Restart(std::string& why);
  std::string host() const { return ":" + std::to_string(host_); }  // for BRLAPI_HOST
  std::string vr_socket() const { return dir_ + "/vr.sock"; }
  pid_t pid() const { return pid_; }

 private:
  bool Run(const std::string& dir, std::string& why);  // host_ 0: pick a free one
  std::string dir_;
  pid_t pid_ = -1;
  int host_ = 0;
};

// The display side of the vr driver.
class FakeDisplay {
 public:
  ~FakeDisplay();
  bool Connect(const std::string& socket, int cells, std::string& why);
  // Reads what BRLTTY shows until the cells equal `want` (dot patterns, bit 0 = dot 1)
  // or `ms` pass; the last cells seen are left in `last`.
  bool WaitFor(const std::vector<uint8_t>& want, int ms, std::vector<uint8_t>* last = nullptr);
  // Waits for the next "Braille" line that differs from every one seen so far.
  bool WaitAnyChange(int ms);
  void Send(const std::string& command);  // e.g. "LnUp", "PassDots 1"
  const std::vector<uint8_t>& cells() const { return cells_; }

 private:
  bool ReadLine(int ms, std::string& line);
  int fd_ = -1;
  std::string pending_;
  std::vector<uint8_t> cells_;
};

// "12|1|..." and friends: cells written by the dot numbers the vr protocol uses.
std::string DescribeCells(const std::vector<uint8_t>& cells);

// Whether a test that needs BRLTTY must fail rather than skip when it is missing.
bool ServicesRequired();

}  // namespace mg::test
