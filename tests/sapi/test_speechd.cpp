// Kinds 5 and 54 against the private speech-dispatcher of scripts/ci-services, heard on
// the private sound server's null sink (recorded from its monitor).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "console/console.h"
#include "sapi/snSapi5.h"
#include "sapi_test_util.h"

namespace mg {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const char kPrompt[] = "Insira o CD e aperte Enter quando pronto";
const char kLong[] =
    "Este texto longo serve para ver que parar a fala cala a voz na mesma hora, sem esperar o "
    "fim da frase, e que depois disso o sintetizador n\xe3o diz mais nada desta frase comprida.";

#define MG_SPEECHD_SERVICES() \
  MG_REQUIRE_SERVICES("SPEECHD_ADDRESS", "PULSE_SERVER", "MG_PULSE_SINK")

// Waits while `busy` says yes, at most `limit`; returns how long that was.
template <class F>
milliseconds WaitWhile(F busy, milliseconds limit = milliseconds(20000)) {
  const auto start = Clock::now();
  while (busy() && Clock::now() - start < limit) PauseMs(10);
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

// Seconds of sound recorded after `from` bytes.
double LoudSecondsAfter(const std::string& rec, size_t from) {
  return static_cast<double>(test::LoudSamples(rec.substr(std::min(from, rec.size())))) / 22050;
}

struct Kind {
  const char* name;
  bool (*init)(int, int);
  void (*speak)(std::string_view);
  bool (*busy)();
  void (*stop)();
  void (*done)();
};
const Kind kKinds[] = {{"5", &Sapi5Init, &Sapi5Speak, &Sapi5Busy, &Sapi5Stop, &Sapi5Done},
                       {"54", &Sapi54Init, &Sapi54Speak, &Sapi54Busy, &Sapi54Stop, &Sapi54Done}};

class SpeechDispatcher : public ::testing::TestWithParam<Kind> {
 protected:
  // Kind 54 names its module: espeak-ng, which speech-dispatcher-espeak-ng always
  // brings, while kind 5 takes the server's default (RHVoice where it is installed).
  void SetUp() override { test::UseConfig(dir_ / "config", {"SERVFALA/MODULO54=espeak-ng"}); }
  test::TempDir dir_;
};

TEST_P(SpeechDispatcher, PromptSoundsBusyEndsAndStopSilencesAtOnce) {
  MG_SPEECHD_SERVICES();
  const Kind& k = GetParam();
  test::SinkRecorder rec;
  ASSERT_TRUE(rec.ok());
  ASSERT_TRUE(k.init(0, 0)) << "kind " << k.name << " did not start";
  k.speak(kPrompt);
  EXPECT_TRUE(k.busy());
  const milliseconds spoke = WaitWhile(k.busy);
  EXPECT_LT(spoke, milliseconds(15000));
  PauseMs(300);
  const std::string prompt = rec.Take();
  EXPECT_GT(LoudSecondsAfter(prompt, 0), 0.5) << "no sound on the sink for the prompt";

  // Stop during a long text: busy at once no, and the sink falls silent.
  k.speak(kLong);
  WaitWhile([&] { return test::LoudSamples(rec.Take().substr(prompt.size())) < 4000; },
            milliseconds(10000));
  const auto stopAt = Clock::now();
  k.stop();
  EXPECT_FALSE(k.busy());
  EXPECT_LT(Clock::now() - stopAt, milliseconds(1000));
  PauseMs(250);  // what was already in the sound server's buffers
  const size_t quietFrom = rec.Size();
  PauseMs(1500);
  EXPECT_LT(LoudSecondsAfter(rec.Take(), quietFrom), 0.02) << "sound went on after the stop";
  k.done();
}

TEST_P(SpeechDispatcher, MarkupCharactersAndAccentsAreSpokenAsText) {
  MG_SPEECHD_SERVICES();
  const Kind& k = GetParam();
  test::SinkRecorder rec;
  ASSERT_TRUE(rec.ok());
  ASSERT_TRUE(k.init(0, 0));
  // As markup "<b>um</b>" would be the one word "um"; as text the tags are read too.
  k.speak("um");
  WaitWhile(k.busy);
  PauseMs(300);
  const size_t plainEnd = rec.Size();
  const double plain = LoudSecondsAfter(rec.Take(), 0);
  k.speak("<b>um</b> & <");
  WaitWhile(k.busy);
  PauseMs(300);
  const double tagged = LoudSecondsAfter(rec.Take(), plainEnd);
  EXPECT_GT(tagged, plain * 1.5) << "markup characters were not read";
  // Bytes 0x80-0xFF (cp1252) reach the server as characters; the connection survives.
  const size_t before = rec.Size();
  k.speak("a\xe7\xe3o \x80 \x81 \xff");
  EXPECT_TRUE(k.busy());
  WaitWhile(k.busy);
  PauseMs(300);
  EXPECT_GT(LoudSecondsAfter(rec.Take(), before), 0.3);
  k.speak("");  // a single blank: nothing to hear, nothing broken
  WaitWhile(k.busy, milliseconds(3000));
  k.done();
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpeechDispatcher, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string("Kind") + info.param.name; });

TEST(SpeechDispatcherFaults, VoiceNumbersOutOfRangeGiveTheFirstVoice) {
  MG_SPEECHD_SERVICES();
  test::TempDir dir;
  test::UseConfig(dir / "config", {});
  EXPECT_TRUE(Sapi5Init(0, 7));
  Sapi5Done();
  EXPECT_TRUE(Sapi5Init(-4, 7));
  Sapi5Done();
  // Past the end: the whole list is read (slow with espeak-ng's thousands of variants).
  EXPECT_TRUE(Sapi5Init(1000000, 7));
  Sapi5Speak("um");
  EXPECT_TRUE(Sapi5Busy());
  WaitWhile(&Sapi5Busy);
  Sapi5Done();
}

TEST(SpeechDispatcherFaults, NoServerRefusingSocketOrMissingModuleFailTheStart) {
  test::TempDir dir;
  test::UseConfig(dir / "config", {"SERVFALA/MODULO54=modulo-que-nao-existe"});
  const char* real = getenv("SPEECHD_ADDRESS");
  const std::string kept = real != nullptr ? real : "";
  const auto start = Clock::now();
  setenv("SPEECHD_ADDRESS", ("unix_socket:" + (dir / "nada.sock")).c_str(), 1);
  EXPECT_FALSE(Sapi5Init(1, 0));
  // A socket file nobody accepts on.
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string path = dir / "recusa.sock";
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  setenv("SPEECHD_ADDRESS", ("unix_socket:" + path).c_str(), 1);
  EXPECT_FALSE(Sapi5Init(1, 0));
  EXPECT_FALSE(Sapi54Init(1, 0));
  close(fd);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  Sapi5Speak("nada");  // not started: ignored
  EXPECT_FALSE(Sapi5Busy());
  if (kept.empty()) {
    unsetenv("SPEECHD_ADDRESS");
    return;
  }
  setenv("SPEECHD_ADDRESS", kept.c_str(), 1);
  // The module named in Sonela.ini is missing: kind 54 does not start, kind 5 does.
  EXPECT_FALSE(Sapi54Init(1, 0));
  EXPECT_TRUE(Sapi5Init(1, 0));
  Sapi5Done();
}

TEST(SpeechDispatcherFaults, ServerKilledWhileSpeakingEndsBusyAndTheNextSpeakReconnects) {
  MG_SPEECHD_SERVICES();
  test::TempDir dir;
  test::UseConfig(dir / "config", {});
  const std::string script = std::string(MG_SOURCE_DIR) + "/tests/sapi/speechd-instance";
  const std::string own = dir / "own";
  ASSERT_EQ(std::system((script + " start " + own).c_str()), 0);
  const char* real = getenv("SPEECHD_ADDRESS");
  const std::string kept = real != nullptr ? real : "";
  setenv("SPEECHD_ADDRESS", ("unix_socket:" + own + "/speechd.sock").c_str(), 1);
  ASSERT_TRUE(Sapi5Init(0, 0));
  Sapi5Speak(kLong);
  EXPECT_TRUE(Sapi5Busy());
  PauseMs(500);
  const pid_t server = std::atoi(test::ReadFile(own + "/pid").c_str());
  ASSERT_GT(server, 0);
  kill(server, SIGKILL);
  EXPECT_LT(WaitWhile(&Sapi5Busy), milliseconds(1000)) << "busy did not end";
  // Nobody to reconnect to: the speak fails (a beep) and nothing hangs.
  const auto start = Clock::now();
  Sapi5Speak("sem servidor");
  EXPECT_FALSE(Sapi5Busy());
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  // A server again at the same place: the next speak reconnects.
  std::remove((own + "/speechd.sock").c_str());
  ASSERT_EQ(std::system((script + " start " + own).c_str()), 0);
  Sapi5Speak("de volta");
  EXPECT_TRUE(Sapi5Busy());
  WaitWhile(&Sapi5Busy);
  Sapi5Done();
  std::system((script + " stop " + own).c_str());
  setenv("SPEECHD_ADDRESS", kept.c_str(), 1);
}

}  // namespace
}  // namespace mg
