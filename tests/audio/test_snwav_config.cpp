// The output device named in Sonela.ini (TRADUTOR/SAIDADEAUDIO) is found by name without
// regard to case and used for playing.

#include <gtest/gtest.h>

#include <map>

#include "audio/snwav.h"
#include "console/console.h"
#include "tests/audio/fake_console.h"
#include "tests/audio/wav_test_util.h"

namespace mg {
std::map<std::string, std::string>& FakeProfile();
namespace {

TEST(OutputDeviceSetting, TheNamedDeviceIsChosenAndPlays) {
  test::UseDiskAudio(true);
  test::NewDiskFile();
  fake::Reset();
  std::vector<std::string> names;
  ListaSaidas(names);
  if (names.empty()) GTEST_SKIP() << "SDL lists no output device for this driver";
  std::string wanted = "  " + names[0] + " ";
  for (char& c : wanted) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  FakeProfile()["TRADUTOR/SAIDADEAUDIO"] = wanted;
  EXPECT_EQ(DispositivoSaida(), 0);
  const auto samples = test::Samples8(500);
  EXPECT_EQ(TocaPCM(samples.data(), 500, 11025, 1, 8), 0);
  while (Tocando()) WaitMessage(20);
  auto expected = samples;
  expected.back() = 128;
  EXPECT_EQ(test::Sounding(test::DeviceBytes(), 128), test::Sounding(expected, 128));
}

}  // namespace
}  // namespace mg
