// The own-engine adapter behind the dispatcher (kind 3), linked as the program links it:
// it starts from the configuration's locations with a stand-in mbrola on PATH, turns
// tone and speed into the engine's factors, and fails cleanly without mbrola.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "audio/snwav.h"
#include "console/console.h"
#include "console/minireg.h"
#include "console/sysconfig.h"
#include "engine/mbrola.h"
#include "speech/dispatch.h"

namespace mg {
namespace {

namespace fs = std::filesystem;

class Adapter : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    dir = fs::temp_directory_path() / ("mg_adapter_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "mbrola" / "br4");
    fs::create_directories(dir / "config" / "Sonela");
    fs::copy_file(MG_FAKE_MBROLA, dir / "bin" / "mbrola");
    std::ofstream(dir / "mbrola" / "br4" / "br4") << "VOZFALSA";
    std::ofstream(dir / "config" / "Sonela" / "Sonela.ini")
        << "[ONDALTTS]\nDIR=" << MG_SOURCE_DIR << "/data/ondal/\n";
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    SetMbrolaRoot((dir / "mbrola").string());
    FlushProfileCache();
    oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (dir / "bin").c_str(), 1);
    WavTrace().blockQueued = [this](const uint8_t*, uint32_t n, int) { queued += n; };
  }
  void TearDown() override {
    WavTrace().blockQueued = nullptr;
    setenv("PATH", oldPath.c_str(), 1);
    SetMbrolaRoot("/usr/share/mbrola");
    fs::remove_all(dir);
  }
  // Bytes the engine queues for one utterance at this speed and tone.
  size_t Bytes(int speed, int tone) {
    EXPECT_TRUE(SynthInit(0, speed, tone, 3, ""));
    queued = 0;
    SynthSpeak("Gravador");
    const size_t n = queued;
    SynthDone();
    EXPECT_EQ(ProcessoMbrola(), 0) << "the end closes mbrola";
    return n;
  }

  fs::path dir;
  std::string oldPath;
  size_t queued = 0;
};

TEST_F(Adapter, SpeedThreeGivesThreeQuartersOfTheDurationsOfSpeedZero) {
  const size_t normal = Bytes(0, 0);  // duration factor 0.8
  const size_t slow = Bytes(-3, 0);   // 1.0
  const size_t fast = Bytes(3, 11);   // 0.6, and pitch factor 2
  ASSERT_GT(normal, 10000u);
  EXPECT_NEAR(static_cast<double>(slow) / static_cast<double>(normal), 1.25, 0.03);
  // Faster than normal, vowels and pauses follow the factor and consonants are spared.
  const double ratio = static_cast<double>(fast) / static_cast<double>(normal);
  EXPECT_GT(ratio, 0.76);
  EXPECT_LT(ratio, 0.87);
}

int g_wakes = 0;

// Asking whether the engine still speaks does not wake the asker: the wake-up message
// goes out when the answer changes (a waiter that asks at every wake-up would spin).
TEST_F(Adapter, BusyQuestionsDoNotPostWakeUps) {
  SetMessageHandler(kMsgSynthWake, [](uint32_t, intptr_t, intptr_t) { ++g_wakes; });
  ASSERT_TRUE(SynthInit(0, 0, 0, 3, ""));
  SynthSpeak("Gravador de CD, um programa que fala");
  PumpMessages();
  g_wakes = 0;
  int busy = 0;
  for (int i = 0; i < 200; ++i) busy += SynthBusy(0) ? 1 : 0;
  EXPECT_GT(busy, 0) << "the sound still plays";
  EXPECT_LE(g_wakes, 1) << "at most the change to silence";
  SynthStop();
  PumpMessages();
  EXPECT_GE(g_wakes, 1) << "a stop wakes the waiters";
  EXPECT_FALSE(SynthBusy(0));
  SynthDone();
  SetMessageHandler(kMsgSynthWake, nullptr);
}

TEST_F(Adapter, WithoutMbrolaTheStartFailsAndLeavesNothingRunning) {
  setenv("PATH", (dir / "config").c_str(), 1);
  EXPECT_FALSE(SynthInit(0, 0, 0, 3, ""));
  EXPECT_EQ(ProcessoMbrola(), 0);
  EXPECT_TRUE(waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD);
}

}  // namespace
}  // namespace mg
