// Speak operations on the legacy path: which recordings play, in which order, and the
// pauses between them.

#include <sstream>

#include "audio/snwav.h"
#include "console/console.h"
#include "speech/speech.h"
#include "tests/audio/fake_console.h"
#include "tests/speech/fake_speech_deps.h"
#include "tests/speech/speech_fixture.h"

namespace mg {
namespace {

using Seq = std::vector<std::string>;

class Speak : public test::SpeechTest {
 protected:
  void SetUp() override {
    SpeechTest::SetUp();
    StartLegacy();
  }
  Seq Say(const std::string& text) {
    SpeakText(text);
    return Take();
  }
};

TEST_F(Speak, LeadingZerosThenTheNumber) {
  EXPECT_EQ(Say("007"), (Seq{"_zero", "_zero", "w:_sete", "T: "}));
}

TEST_F(Speak, SixDigitsAreOneNumberSevenAreSpelled) {
  EXPECT_EQ(Say("123456"), (Seq{"w:_cento", "w:_e", "w:_vinte", "w:_e", "w:_tres", "w:_mil", "w:_e",
                                "w:_quatroc", "w:_e", "w:_cinquen", "w:_e", "w:_seis", "T: "}));
  EXPECT_EQ(Say("1234567"), (Seq{"_49", "_50", "_51", "_52", "_53", "_54", "_55", "T: "}));
}

TEST_F(Speak, MinusSignAndHyphenatedDigits) {
  EXPECT_EQ(Say("-5"), (Seq{"_MENOS", "w:_cinco", "T: "}));
  EXPECT_EQ(Say("12-34"), (Seq{"_49", "_50", "_45", "_51", "_52", "T: "}));
}

TEST_F(Speak, HyphenBetweenWordsIsNotSpoken) {
  EXPECT_EQ(Say("bem-vindo"), (Seq{"T:bem", "T:vindo "}));
  // A hyphen before a blank is punctuation with the comma pause.
  EXPECT_EQ(Say("sim - n"), (Seq{"T:sim ", "_45", "pause:150", "T: n "}));
}

TEST_F(Speak, PeriodPausesOnlyBeforeABlank) {
  EXPECT_EQ(Say("Fim. Sim"), (Seq{"T:Fim", "_46", "pause:250", "T: Sim "}));
  EXPECT_EQ(Say("1.5"), (Seq{"w:_um", "_46", "w:_cinco", "T: "}));
}

TEST_F(Speak, OtherPunctuationPauses) {
  Speech().pauseColon = 100;
  Speech().pauseComma = 50;
  EXPECT_EQ(Say("a, (b);"), (Seq{"T:a", "_44", "pause:50", "T: ", "_40", "pause:100", "T:b", "_41",
                                 "pause:100", "_59", "pause:100", "T: "}));
  EXPECT_EQ(Say("1,5"), (Seq{"w:_um", "_44", "w:_cinco", "T: "}));
}

TEST_F(Speak, FifthRepeatOfASymbolClicks) {
  EXPECT_EQ(Say("*****"), (Seq{"_42", "_42", "_42", "_42", "click", "T: "}));
  // Letters between symbols do not break the run.
  EXPECT_EQ(Say("#a#b#c#d#"),
            (Seq{"_35", "T:a", "_35", "T:b", "_35", "T:c", "_35", "T:d", "click", "T: "}));
}

TEST_F(Speak, WebAddressColonIsSpelledWithoutPause) {
  EXPECT_EQ(Say("a://b"), (Seq{"T:a", "_58", "_47", "_47", "T:b "}));
  EXPECT_EQ(Say("www.x"), (Seq{"_119", "_119", "_119", "_46", "T:x "}));
  EXPECT_EQ(Say("WwW"), (Seq{"T:WwW "}));  // the run takes the final blank with it
}

TEST_F(Speak, TabsLineEndsAndUnknownCharacters) {
  EXPECT_EQ(Say("\t\r\n~"), (Seq{"_FON9", "_unknown", "T: "}));
  // Control codes are silent; accented letters go to the translator.
  EXPECT_EQ(Say("\x01"
                "\xe9"),
            (Seq{"T:\xe9 "}));
}

TEST_F(Speak, LongWordRunsAreCutForTheTranslator) {
  const std::string longRun(1500, 'a');
  SpeakText(longRun);
  ASSERT_EQ(fake::Deps().translated.size(), 1u);
  EXPECT_EQ(fake::Deps().translated[0].size(), 999u);
  EXPECT_EQ(fake::Deps().phonemes.size(), 1u);
}

TEST_F(Speak, AKeyEndsTheTextAndStaysForTheCaller) {
  fake::PushKeyAfterBlocks('q', 1);
  SpeakText("1 2 3 4 5 6 7 8 9");
  EXPECT_EQ(fake::KeysWaiting(), 1);
  const Seq played = Take();
  EXPECT_LT(played.size(), 10u);
  PumpMessages();
  EXPECT_GE(fake::StopWakeUps(), 1);
  EXPECT_TRUE(Speech().stop);
  // With the key still waiting, nothing more is spoken.
  EXPECT_TRUE(Say("abc").empty());
  EXPECT_EQ(fake::KeysWaiting(), 1);
}

TEST_F(Speak, SpeakLineWritesFirstThenSpeaksThenEndsTheLine) {
  std::ostringstream out;
  auto* old = std::cout.rdbuf(out.rdbuf());
  std::string writtenAtFirstSound;
  SetSpeechObserver([&](const std::string& e) {
    if (writtenAtFirstSound.empty()) writtenAtFirstSound = out.str() + "|" + e;
  });
  SpeakLine("Ok 1");
  std::cout.rdbuf(old);
  EXPECT_EQ(out.str(), "Ok 1\r\n");
  EXPECT_EQ(writtenAtFirstSound, "Ok 1|translate:Ok ");
}

TEST_F(Speak, SpellTextAndCharacters) {
  SpellText("a\tb");
  EXPECT_EQ(Take(), (Seq{"_97", "_FON9", "_98"}));
  SpeakChar(0);  // code 0 plays its own file, which this folder lacks
  SpeakChar(12);
  SpeakChar(10);
  EXPECT_EQ(Take(), (Seq{"_unknown", "_unknown"}));
  PlayRecorded("_VELOC");  // missing: silent, no error
  EXPECT_EQ(Take(), (Seq{"_VELOC"}));
}

TEST_F(Speak, RecordedSoundsComeFromTheirDirectories) {
  SpeechDone();
  SpeechInit(3, "c:\\som");
  Take();
  PlayRecorded("inicio");  // not there: silent
  PlayRecorded("_zero");
  EXPECT_EQ(Take(), (Seq{"inicio", "_zero"}));
  EXPECT_EQ(Speech().programSoundDirectory, "c:\\som\\");
  std::vector<std::string> files;
  WavTrace().fileOpened = [&](const std::string& p) { files.push_back(p); };
  PlayRecorded("_zero");
  WavTrace().fileOpened = nullptr;
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0], Letters() + "_zero.wav");
}

TEST_F(Speak, ReadKeySpokenEchoesTheKey) {
  PushKey('A');
  EXPECT_EQ(ReadKeySpoken(), 'A');
  EXPECT_EQ(Take(), (Seq{"_65"}));
  EXPECT_EQ(fake::KeysWaiting(), 0);
}

TEST_F(Speak, PausesAreCutShortByAKey) {
  InterruptiblePause(120);
  EXPECT_EQ(fake::Pauses(), 2);
  PushKey('x');
  InterruptiblePause(1000);
  EXPECT_EQ(fake::Pauses(), 2);
  EXPECT_EQ(fake::KeysWaiting(), 1);
}

TEST_F(Speak, ClickAndBeepBlocks) {
  std::vector<std::vector<uint8_t>> blocks;
  WavTrace().blockQueued = [&](const uint8_t* d, uint32_t n, int) {
    blocks.emplace_back(d, d + n);
  };
  WavFlags().cutSpeech = true;
  SoundClick();
  EXPECT_TRUE(WavFlags().cutSpeech);
  WavFlags().cutSpeech = false;
  PushKey('z');
  PushKey('y');
  SoundBeep();
  WavTrace().blockQueued = nullptr;
  EXPECT_EQ(fake::KeysWaiting(), 0);  // the beep drops typed-ahead keys
  ASSERT_EQ(blocks.size(), 2u);
  ASSERT_EQ(blocks[0].size(), 256u);  // not compressed even though cut-speech was on
  bool noise = false;
  for (int i = 0; i < 64; ++i) {
    EXPECT_GE(blocks[0][i], 128);
    EXPECT_LE(blocks[0][i], 187);
    noise |= blocks[0][i] != 128;
  }
  EXPECT_TRUE(noise);
  for (int i = 64; i < 256; ++i) EXPECT_EQ(blocks[0][i], 128);
  ASSERT_EQ(blocks[1].size(), 512u);
  const uint8_t wave[8] = {128, 112, 96, 80, 64, 80, 96, 112};
  for (int i = 0; i < 511; ++i) EXPECT_EQ(blocks[1][i], wave[i % 8]) << i;
  EXPECT_EQ(blocks[1][511], 128);
}

TEST_F(Speak, StopSpeechSilencesAndWakesWaits) {
  WavFlags().noWait = true;
  PlayRecorded("_zero");
  WavFlags().noWait = false;
  StopSpeech();
  EXPECT_FALSE(IsSpeaking());
  PumpMessages();
  EXPECT_EQ(fake::StopWakeUps(), 1);
}

}  // namespace
}  // namespace mg
