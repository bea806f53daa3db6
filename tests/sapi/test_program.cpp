// The whole program with a system voice: minigravador started with TIPOSAPI 4, then 5,
// speaks its banner through that voice; when the voice cannot start (espeak-ng's data
// missing, no speech-dispatcher) the recorded legacy voice speaks it and nothing hangs.
// Sound played by the program lands in a file (SDL's disk driver); speech-dispatcher's
// sound is recorded from the private sound server's null sink.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "console/console.h"
#include "sapi/snsapi4.h"
#include "sapi_test_util.h"

namespace mg {
namespace {

using Clock = std::chrono::steady_clock;
const std::string kProgram = std::string(MG_BINARY_DIR) + "/bin/minigravador";

struct ProgramRun {
  int status = -1;
  std::string audio;  // what the program itself played
};

// Runs the program for `seconds` of key script ("wait", then the window is closed).
ProgramRun RunProgram(const std::vector<std::string>& overrides,
                      const std::vector<std::pair<std::string, std::string>>& env, int seconds) {
  test::TempDir tmp;
  std::vector<std::string> ini = overrides;
  ini.push_back("GRAVADOR/IMAGEM=" + (tmp / "disco.iso"));
  test::UseConfig(tmp / "config", ini);
  std::filesystem::create_directories(tmp / "home");
  test::WriteFile(tmp / "keys", "wait " + std::to_string(seconds * 1000) + "\nquit\n");
  ProgramRun run;
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("HOME", (tmp / "home").c_str(), 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (tmp / "audio.raw").c_str(), 1);
    setenv("MG_KEY_SCRIPT", (tmp / "keys").c_str(), 1);
    const char* asan = getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    if (chdir(tmp.path().c_str()) != 0) _exit(126);
    execl(kProgram.c_str(), kProgram.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(seconds + 30);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "minigravador did not end";
      return run;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.audio = test::ReadFile(tmp / "audio.raw");
  return run;
}

// Bytes of 8-bit sound (the legacy voice) that are not silence.
size_t Loud8(const std::string& audio) {
  size_t n = 0;
  for (unsigned char c : audio) n += c < 120 || c > 136;
  return n;
}

size_t Count(const std::string& audio, unsigned char byte) {
  size_t n = 0;
  for (unsigned char c : audio) n += c == byte;
  return n;
}

// How much sound espeak-ng makes of the banner, by the same voice into a file.
double BannerSeconds() {
  test::TempDir tmp;
  EXPECT_TRUE(Sapi4Init(0, 0, 0, tmp / "b.wav"));
  Sapi4Speak("Mini Gravador de CD para Windows 7");
  while (Sapi4Busy(false)) PauseMs(5);
  Sapi4Done();
  return static_cast<double>(test::LoudSamples(test::ReadFile(tmp / "b.wav").substr(44))) / 22050;
}

TEST(ProgramWithSystemVoice, Kind4SpeaksTheBannerWithEspeak) {
  const double banner = BannerSeconds();
  ASSERT_GT(banner, 0.5);
  const ProgramRun run = RunProgram({"TRADUTOR/SAPI=S", "SERVFALA/TIPOSAPI=4"}, {}, 7);
  EXPECT_EQ(run.status, 0);
  // 16-bit sound (its silence is zero bytes, the legacy voice's is 128).
  EXPECT_LT(Count(run.audio, 128), run.audio.size() / 100);
  EXPECT_GT(static_cast<double>(test::LoudSamples(run.audio)) / 22050, banner * 0.8);
}

TEST(ProgramWithSystemVoice, Kind5SpeaksTheBannerThroughSpeechDispatcher) {
  MG_REQUIRE_SERVICES("SPEECHD_ADDRESS", "PULSE_SERVER", "MG_PULSE_SINK");
  test::SinkRecorder rec;
  ASSERT_TRUE(rec.ok());
  const ProgramRun run = RunProgram({"TRADUTOR/SAPI=S", "SERVFALA/TIPOSAPI=5"}, {}, 8);
  EXPECT_EQ(run.status, 0);
  EXPECT_GT(static_cast<double>(test::LoudSamples(rec.Take())) / 22050, 1.0)
      << "nothing was heard from speech-dispatcher";
  EXPECT_LT(Loud8(run.audio), 2000u) << "the legacy voice spoke as well";
}

TEST(ProgramWithSystemVoice, VoicesThatCannotStartLeaveTheLegacyVoiceSpeaking) {
  const std::string noData = std::string(MG_BINARY_DIR) + "/tests/sapi/no-espeak-data";
  const ProgramRun four =
      RunProgram({"TRADUTOR/SAPI=S", "SERVFALA/TIPOSAPI=4"}, {{"ESPEAK_DATA_PATH", noData}}, 6);
  EXPECT_EQ(four.status, 0);
  EXPECT_GT(Loud8(four.audio), 8000u) << "kind 4 without data: no legacy voice";
  const ProgramRun five =
      RunProgram({"TRADUTOR/SAPI=S", "SERVFALA/TIPOSAPI=5"},
                 {{"SPEECHD_ADDRESS", "unix_socket:/nonexistent/speechd.sock"}}, 6);
  EXPECT_EQ(five.status, 0);
  EXPECT_GT(Loud8(five.audio), 8000u) << "kind 5 without a server: no legacy voice";
}

}  // namespace
}  // namespace mg
