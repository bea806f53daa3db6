// Helpers of the system-voice tests, beside the recording tests' own: a Sonela.ini of the test's
// own, sound measures and a recorder of the private sound server's null sink.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "testutil.h"  // TempDir, WriteFile, ReadFile

namespace mg::test {

// Points the configuration at `home` (XDG_CONFIG_HOME) and writes its Sonela.ini: the
// build tree's shipped file with `overrides` ("SECTION/KEY=value" lines) put in.
void UseConfig(const std::string& home, const std::vector<std::string>& overrides);

// 16-bit little-endian mono samples whose magnitude exceeds `threshold`.
size_t LoudSamples(const std::string& pcm16, int threshold = 300);
// Seconds from the start of `pcm16` (at `rate`) to its first and last loud sample; -1
// when there is none.
double FirstLoud(const std::string& pcm16, int rate, int threshold = 300);
double LastLoud(const std::string& pcm16, int rate, int threshold = 300);

// Records the private sound server's null sink monitor (MG_PULSE_SINK) with parec, as
// 16-bit mono at 22050 Hz, while alive.
class SinkRecorder {
 public:
  SinkRecorder();
  ~SinkRecorder();
  bool ok() const { return pid_ > 0; }
  std::string Take();  // everything recorded so far (the recording goes on)
  size_t Size() const;

 private:
  std::string file_;
  pid_t pid_ = -1;
  TempDir dir_;
};

// The services a test needs: true when their variables are set. Otherwise the test is
// skipped, or failed when MG_REQUIRE_SERVICES=1.
bool ServicesPresent(const std::vector<const char*>& variables, std::string& missing);

}  // namespace mg::test

#define MG_REQUIRE_SERVICES(...)                                                             \
  do {                                                                                       \
    std::string missing_;                                                                    \
    if (!::mg::test::ServicesPresent({__VA_ARGS__}, missing_)) {                             \
      if (getenv("MG_REQUIRE_SERVICES") != nullptr &&                                        \
          std::string(getenv("MG_REQUIRE_SERVICES")) == "1")                                 \
        FAIL() << "test service missing: " << missing_ << " (scripts/ci-services)";          \
      GTEST_SKIP() << "test service missing: " << missing_ << " (run through scripts/test)"; \
    }                                                                                        \
  } while (0)
