#include "tests/speech/speech_fixture.h"

#include <sys/stat.h>

#include <cstdlib>

#include "audio/snwav.h"
#include "common/wavheader.h"
#include "speech/numbers.h"
#include "speech/speech.h"
#include "tests/audio/fake_console.h"
#include "tests/audio/wav_test_util.h"
#include "tests/speech/fake_speech_deps.h"

namespace mg::test {

namespace {
const bool kDisk = (UseDiskAudio(true), true);

std::string ShortName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.size() > 4 && base.substr(base.size() - 4) == ".wav") base.resize(base.size() - 4);
  return base;
}
}  // namespace

void SpeechTest::SetUp() {
  (void)kDisk;
  fake::Reset();
  fake::Deps() = fake::SpeechDeps{};
  WavFlags() = SnWavFlags{};
  Speech() = SpeechState{};
  NewDiskFile();
  const std::string tmp = MakeTempDir();
  // The user's state file (the kept speed) lives in a folder of the test's own.
  setenv("XDG_CONFIG_HOME", (tmp + "/config").c_str(), 1);
  lettersLinux_ = tmp + "/letras";
  mkdir(lettersLinux_.c_str(), 0755);
  lettersSuite_ = "c:" + lettersLinux_ + "/";
  for (char& c : lettersSuite_) {
    if (c == '/') c = '\\';
  }
  fake::Deps().lettersDir = lettersSuite_;
  fake::Deps().dirLetras = lettersSuite_;
  for (const std::string& n : RecordedWordNames()) Record(n, 40);
  for (int c = 32; c < 127; ++c) {
    if (c != '~') Record("_" + std::to_string(c), 40);  // "~" falls back to _unknown
  }
  SetSpeechObserver([this](const std::string& e) { events_.push_back(e); });
}

void SpeechTest::TearDown() {
  SetSpeechObserver(nullptr);
  FechaSaida();
}

void SpeechTest::Record(const std::string& name, size_t samples) {
  WriteFile(lettersLinux_ + "/" + name + ".wav", MakeWav(Samples8(samples), 11025, 1, 8));
}

std::vector<std::string> SpeechTest::Take() {
  std::vector<std::string> out;
  for (const std::string& e : events_) {
    if (e.rfind("play:", 0) == 0) {
      out.push_back(ShortName(e.substr(5)));
    } else if (e.rfind("word:", 0) == 0) {
      out.push_back("w:" + ShortName(e.substr(5)));
    } else if (e.rfind("translate:", 0) == 0) {
      out.push_back("T:" + e.substr(10));
    } else if (e.rfind("block:", 0) != 0) {
      out.push_back(e);
    }
  }
  events_.clear();
  return out;
}

void SpeechTest::StartLegacy() {
  SpeechInit(3, "");
  events_.clear();
}

}  // namespace mg::test
