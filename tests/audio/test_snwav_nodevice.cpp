// No sound system at all: every play fails quickly with a device error, nothing waits,
// and the user is told once on the console.

#include <gtest/gtest.h>

#include <cstdlib>

#include "audio/snwav.h"
#include "common/wavheader.h"
#include "tests/audio/fake_console.h"
#include "tests/audio/wav_test_util.h"

namespace mg {
namespace {

TEST(NoSoundDevice, PlaysFailQuicklyAndTheUserIsToldOnce) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  fake::Reset();
  const std::string dir = test::MakeTempDir();
  test::WriteFile(dir + "/a.wav", MakeWav(test::Samples8(5000), 11025, 1, 8));
  EXPECT_EQ(TocaArquivo(dir + "/a.wav"), kWavErrNoDriver);
  EXPECT_EQ(TocaArquivo(dir + "/a.wav"), kWavErrNoDriver);
  const auto samples = test::Samples8(100);
  EXPECT_EQ(TocaPCM(samples.data(), 100, 16000, 1, 16), kWavErrNoDriver);
  EXPECT_FALSE(Tocando());
  ParaSom();
  const std::string& written = fake::Written();
  const auto first = written.find("Aviso");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(written.find("Aviso", first + 1), std::string::npos);
  std::vector<std::string> names = {"x"};
  ListaSaidas(names);
  EXPECT_TRUE(names.empty());
}

}  // namespace
}  // namespace mg
