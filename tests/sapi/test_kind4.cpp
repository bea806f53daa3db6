// Kind 4 (espeak-ng in-process) through the speech manager and the real console window
// (offscreen), its sound through snwav to SDL's disk driver, which writes every sample
// the device plays into a file.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "audio/snwav.h"
#include "console/console.h"
#include "sapi/espeakng.h"
#include "sapi/snsapi4.h"
#include "sapi_test_util.h"
#include "speech/dispatch.h"
#include "speech/speech.h"

namespace mg {
namespace {

using Clock = std::chrono::steady_clock;

const char kPrompt[] = "Insira o CD e aperte Enter quando pronto";
const char kLong[] =
    "Mini Gravador de CD. Este texto longo serve para verificar que uma tecla interrompe a "
    "fala do sintetizador imediatamente, sem esperar o fim da frase que ainda falta dizer.";

test::TempDir& Dir() {
  static test::TempDir dir;
  return dir;
}

// Everything the device played so far (SDL writes the disk file as it plays).
std::string Played() { return test::ReadFile(Dir() / "audio.raw"); }

// The speech of `text` made by the same voice into a WAV file (no device involved).
std::string Rendered(const std::string& text, int voice = 0) {
  const std::string wav = Dir() / "rendered.wav";
  EXPECT_TRUE(Sapi4Init(voice, 0, 0, wav));
  Sapi4Speak(text);
  for (auto end = Clock::now() + std::chrono::seconds(30); Sapi4Busy(false) && Clock::now() < end;)
    PauseMs(5);
  Sapi4Done();
  const std::string all = test::ReadFile(wav);
  return all.size() > 44 ? all.substr(44) : std::string();
}

void WaitSilence(int seconds = 30) {
  for (auto end = Clock::now() + std::chrono::seconds(seconds); IsSpeaking() && Clock::now() < end;)
    WaitMessage(20);
}

class Kind4 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (Dir() / "audio.raw").c_str(), 1);
    test::UseConfig(Dir() / "config", {"TRADUTOR/SAPI=S", "SERVFALA/TIPOSAPI=4", "SERVFALA/VOZ=0",
                                       "SERVFALA/VELOCIDADE=0", "SERVFALA/TOM=0"});
    ConsoleOpen();
    SpeechInit(0, "");
  }
  static void TearDownTestSuite() { SpeechDone(); }
};

TEST_F(Kind4, PromptPlaysEspeaksSamplesAtItsRateAndAKeySilencesIt) {
  ASSERT_TRUE(Speech().systemSynthActive) << "kind 4 did not start";
  ASSERT_EQ(SynthKind(), 4);
  const std::string expected = Rendered(kPrompt);
  ASSERT_GT(test::LoudSamples(expected), 5000u);
  ASSERT_TRUE(Sapi4Init(0, 0, 0));

  uint32_t openedRate = 0;
  uint16_t openedBits = 0;
  WavTrace().deviceOpened = [&](uint32_t rate, uint16_t bits, uint16_t) {
    openedRate = rate;
    openedBits = bits;
  };
  SpeakLine(kPrompt);
  WaitSilence();
  FechaSaida();  // flush SDL's file
  WavTrace().deviceOpened = nullptr;
  EXPECT_EQ(openedRate, static_cast<uint32_t>(sapi::EspeakSampleRate()));
  EXPECT_EQ(openedBits, 16);
  const std::string played = Played();
  // espeak-ng's noise sources differ from run to run, so the sound is compared by its
  // amount and its length: played at another rate it would be shorter or longer.
  const int rate = sapi::EspeakSampleRate();
  const double want = test::LastLoud(expected, rate) - test::FirstLoud(expected, rate);
  const double got = test::LastLoud(played, rate) - test::FirstLoud(played, rate);
  EXPECT_NEAR(got, want, want * 0.1) << "seconds of sound";
  EXPECT_NEAR(static_cast<double>(test::LoudSamples(played)),
              static_cast<double>(test::LoudSamples(expected)),
              static_cast<double>(test::LoudSamples(expected)) * 0.15);

  // A key while a long text sounds: sound stops and the key stays for the caller.
  int queuedAfterKey = 0;
  bool keyPushed = false;
  WavTrace().blockQueued = [&](const uint8_t*, uint32_t, int) { queuedAfterKey += keyPushed; };
  SpeakLine(kLong);
  for (auto end = Clock::now() + std::chrono::seconds(10); !Tocando() && Clock::now() < end;)
    PauseMs(5);
  PauseMs(300);
  PushKey('x');
  keyPushed = true;
  const auto pressed = Clock::now();
  EXPECT_FALSE(IsSpeaking());
  EXPECT_LT(Clock::now() - pressed, std::chrono::milliseconds(500));
  PauseMs(500);
  EXPECT_FALSE(Sapi4Busy(false));
  EXPECT_EQ(queuedAfterKey, 0) << "sound was queued after the key";
  WavTrace().blockQueued = nullptr;
  EXPECT_TRUE(KeyWaiting());
  EXPECT_EQ(ReadKey(), 'x');
}

TEST_F(Kind4, TextsAreTrimmedDigitsEndedAndDroppedWhileAKeyWaits) {
  // "5" goes to the voice as "5."; blanks alone are nothing.
  EXPECT_EQ(Sapi4Text(" 5 "), "5.");
  EXPECT_EQ(Sapi4Text("55"), "55");
  EXPECT_EQ(Sapi4Text("\t a b \r\n"), "a b");
  EXPECT_TRUE(Rendered("   ").empty());

  ASSERT_TRUE(Sapi4Init(0, 0, 0));
  PushKey('k');
  Sapi4Speak(kPrompt);
  EXPECT_FALSE(Sapi4Busy(true)) << "a text was taken while a key waited";
  EXPECT_EQ(ReadKey(), 'k');

  // After the last text is synthesized, busy (not only text) lasts until sound stops.
  Sapi4Speak("Um dois tr\xeas");
  bool sawAudioOnly = false;
  for (auto end = Clock::now() + std::chrono::seconds(20);
       Sapi4Busy(false) && Clock::now() < end;) {
    if (!Sapi4Busy(true) && Tocando()) sawAudioOnly = true;
    PauseMs(5);
  }
  EXPECT_TRUE(sawAudioOnly);
  EXPECT_FALSE(Tocando());
  Sapi4Done();
  ASSERT_TRUE(Sapi4Init(0, 0, 0));  // the speech manager's voice again
}

TEST_F(Kind4, VoiceNumbersBrazilianFirstAndPastTheEndGivesTheLast) {
  ASSERT_TRUE(Sapi4Init(0, 0, 0, Dir() / "v.wav"));
  EXPECT_EQ(Sapi4VoiceName(), "Portuguese (Brazil)");
  ASSERT_TRUE(Sapi4Init(-7, 0, 0, Dir() / "v.wav"));
  EXPECT_EQ(Sapi4VoiceName(), "Portuguese (Brazil)");
  const auto voices = sapi::EspeakVoices();
  ASSERT_GT(voices.size(), 2u);
  ASSERT_TRUE(Sapi4Init(static_cast<int>(voices.size()) + 50, 0, 0, Dir() / "v.wav"));
  EXPECT_EQ(Sapi4VoiceName(), voices.back().name);
  ASSERT_TRUE(Sapi4Init(2, 0, 0, Dir() / "v.wav"));
  EXPECT_EQ(Sapi4VoiceName(), voices[1].name);
  Sapi4Done();
  // Speed and pitch change the sound; 0 is the voice's own.
  const std::string normal = Rendered("Velocidade da voz");
  ASSERT_TRUE(Sapi4Init(0, 300, 0, Dir() / "v.wav"));
  Sapi4Speak("Velocidade da voz");
  while (Sapi4Busy(false)) PauseMs(5);
  Sapi4Done();
  EXPECT_LT(test::ReadFile(Dir() / "v.wav").size(), normal.size() * 3 / 4);
  ASSERT_TRUE(Sapi4Init(0, 0, 0));
}

// Run by its own ctest entry with ESPEAK_DATA_PATH at an empty data folder.
TEST(Kind4Faults, DataMissingFailsTheStartAndTheLegacyVoiceIsKept) {
  if (getenv("MG_TEST_ESPEAK_MISSING") == nullptr) GTEST_SKIP() << "run by sapi_kind4_nodata";
  test::TempDir dir;
  test::UseConfig(dir / "config", {"TRADUTOR/SAPI=S", "SERVFALA/TIPOSAPI=4"});
  EXPECT_FALSE(Sapi4Init(1, 0, 0));
  const auto start = Clock::now();
  SpeechInit(0, "");
  EXPECT_FALSE(Speech().systemSynthActive);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  SpeechDone();
}

}  // namespace
}  // namespace mg
