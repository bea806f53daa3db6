// A speech manager over SDL's disk driver, a letters folder of tiny recordings made by
// the test, and a record of the sounds asked for, in order.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mg::test {

class SpeechTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Suite path of the letters folder ("c:\tmp\...\letras\").
  const std::string& Letters() const { return lettersSuite_; }
  std::string LettersLinux() const { return lettersLinux_; }
  // Writes a recording of n samples into the letters folder.
  void Record(const std::string& name, size_t samples);
  // The sounds asked for since the last call, as short names: "_zero" for a recorded file,
  // "w:_sete" for a number word, "pause:250", "click", "T:<text>" for the translator.
  std::vector<std::string> Take();
  // Starts the manager on the legacy path with the letters folder.
  void StartLegacy();

  std::vector<std::string> events_;

 private:
  std::string lettersSuite_, lettersLinux_;
};

}  // namespace mg::test
