// Start and end of the speech manager, and the system-synthesizer path.

#include <gtest/gtest.h>

#include <sstream>

#include "audio/snwav.h"
#include "console/console.h"
#include "speech/dispatch.h"
#include "speech/speech.h"
#include "tests/audio/fake_console.h"
#include "tests/speech/fake_speech_deps.h"
#include "tests/speech/speech_fixture.h"

namespace mg {
namespace {

using fake::Deps;

class Init : public test::SpeechTest {};

TEST_F(Init, ReadsTheConfigurationAndHandsItOn) {
  Deps().legado = true;
  Deps().fallback = false;
  Deps().speedIndex = 4;
  Deps().dirLetras = "c:\\letras";
  Deps().voice.trim = 11;
  Deps().voice.minimum = 22;
  Deps().voice.pauseWords = 33;
  Deps().voice.cutSpeech = true;
  Deps().voice.slightlyFaster = true;
  Deps().voice.pausePoint = 400;
  Deps().voice.pauseComma = 300;
  Deps().voice.pauseColon = 100;
  Deps().lowVision = {2, 10, 1, 12};
  SpeechInit(0, "c:\\som");
  EXPECT_TRUE(Deps().fallback);
  EXPECT_EQ(Deps().voiceReads, (std::vector<int>{4, 4}));
  EXPECT_EQ(Deps().adjusted, (std::vector<std::vector<int>>{{11, 22, 33}, {11, 22, 33}}));
  EXPECT_TRUE(WavFlags().cutSpeech);
  EXPECT_TRUE(WavFlags().slightlyFaster);
  EXPECT_EQ(Speech().pausePoint, 400);
  EXPECT_EQ(Speech().pauseComma, 300);
  EXPECT_EQ(Speech().pauseColon, 100);
  EXPECT_EQ(Speech().speedIndex, 4);
  EXPECT_EQ(Speech().lettersDirectory, "c:\\letras\\");
  EXPECT_EQ(Speech().programSoundDirectory, "c:\\som\\");
  EXPECT_EQ(Deps().colours, (std::vector<int>{10, 1, 12}));
  EXPECT_EQ(Deps().fontRow, 1);
  EXPECT_EQ(Deps().fontZoom, 2);
  EXPECT_TRUE(Deps().blockPlayerSet);
  EXPECT_EQ(Deps().starts, 1);
  EXPECT_FALSE(Speech().systemSynthActive);
  SpeechDone();
  EXPECT_EQ(Deps().closes, 1);
}

TEST_F(Init, SpeedIndexOutsideOneToFiveIsThree) {
  Deps().speedIndex = 9;
  Deps().lowVision.zoom = 0;
  SpeechInit(-1, "");
  EXPECT_EQ(Deps().voiceReads, (std::vector<int>{3, 3}));
  EXPECT_EQ(Deps().fontZoom, 0);  // no magnifier
  EXPECT_EQ(Speech().programSoundDirectory, "");
  SpeechDone();
  SpeechInit(7, "c:\\som\\");
  EXPECT_EQ(Speech().speedIndex, 3);
  EXPECT_EQ(Speech().programSoundDirectory, "c:\\som\\");
  SpeechDone();
}

TEST_F(Init, TranslatorFailureWritesTwoLinesAndEnds) {
  Deps().startCode = 2;
  fake::LinesToRead() = {""};
  std::ostringstream out;
  auto* old = std::cout.rdbuf(out.rdbuf());
  EXPECT_THROW(SpeechInit(3, ""), fake::ConsoleDoneCalled);
  std::cout.rdbuf(old);
  EXPECT_EQ(out.str(), "Erro de inicializa\xe7\xe3o: 2\r\nBanco de dados de voz: DIFONES2\r\n");
  EXPECT_EQ(Deps().closes, 1);
  EXPECT_TRUE(fake::LinesToRead().empty());  // waited for Enter
  EXPECT_TRUE(Take().empty());               // nothing spoken
}

// A system synthesizer that records what it was asked.
struct FakeSynth {
  int starts = 0, ends = 0, stops = 0;
  int busyFor = 0;  // answers "busy" this many more times
  std::vector<std::string> spoken;
  std::vector<int> startArgs;
};
FakeSynth g_synth;

void RegisterFakeSynth(bool startOk) {
  static bool ok;
  ok = startOk;
  SynthBackend b;
  b.start = [](int voice, int speed, int tone, const std::string& file) {
    ++g_synth.starts;
    g_synth.startArgs = {voice, speed, tone, static_cast<int>(file.size())};
    return ok;
  };
  b.end = [] { ++g_synth.ends; };
  b.speak = [](std::string_view t) { g_synth.spoken.emplace_back(t); };
  b.busy = [](int) { return g_synth.busyFor > 0 && g_synth.busyFor-- > 0; };
  b.stop = [] { ++g_synth.stops; };
  RegisterSynthBackend(5, b);
}

TEST_F(Init, SystemSynthesizerPath) {
  g_synth = {};
  RegisterFakeSynth(true);
  Deps().sapi = true;
  Deps().synth = {2, 5, 1, 7};  // kind 7 goes to the SAPI 5 slot
  SpeechInit(3, "");
  ASSERT_TRUE(Speech().systemSynthActive);
  EXPECT_EQ(Speech().synthKind, 7);
  EXPECT_EQ(g_synth.startArgs, (std::vector<int>{2, 5, 1, 0}));
  SpeakText("Ol\xe1 007");
  EXPECT_EQ(g_synth.spoken, (std::vector<std::string>{"Ol\xe1 007"}));
  EXPECT_TRUE(Deps().translated.empty());
  EXPECT_TRUE(Speech().pending);
  // Single characters still come from recordings, after the text has been spoken.
  g_synth.busyFor = 3;
  SpeakChar('A');
  EXPECT_FALSE(Speech().pending);
  EXPECT_EQ(g_synth.busyFor, 0);
  EXPECT_EQ(Take(), (std::vector<std::string>{"_65"}));
  // A waiting key: the text is dropped and the key stays for the caller.
  PushKey('k');
  SpeakText("nada");
  EXPECT_EQ(g_synth.spoken.size(), 1u);
  EXPECT_EQ(fake::KeysWaiting(), 1);
  ReadKey();
  SpeechDone();
  EXPECT_EQ(g_synth.ends, 1);
  EXPECT_FALSE(Speech().systemSynthActive);
  RegisterSynthBackend(5, SynthBackend{});
}

TEST_F(Init, ABackEndThatFailsLeavesTheLegacyPath) {
  g_synth = {};
  RegisterFakeSynth(false);
  Deps().sapi = true;
  SpeechInit(3, "");
  EXPECT_FALSE(Speech().systemSynthActive);
  EXPECT_EQ(g_synth.starts, 1);
  SpeakText("oi");
  EXPECT_EQ(Deps().translated, (std::vector<std::string>{"oi "}));
  SpeechDone();
  EXPECT_EQ(g_synth.ends, 0);
  RegisterSynthBackend(5, SynthBackend{});
  // With no back-end at all (this build has none), every kind fails to start.
  for (int kind : {3, 4, 5, 54}) EXPECT_FALSE(SynthInit(0, 0, 0, kind, ""));
}

}  // namespace
}  // namespace mg
