// The editor with the real speak operations and audio output (dummy SDL audio): the
// recorded sounds it asks for, seen through the speech manager's observer.
#include <gtest/gtest.h>

#include "audio/snwav.h"
#include "console/console.h"
#include "speech/lineinput.h"
#include "speech/speech.h"

namespace mg {
namespace {

TEST(EditorWithSpeech, EchoDeleteAndWordMoveSounds) {
  ConsoleOpen();
  Speech().lettersDirectory = "c:\\letras\\";
  std::vector<std::string> events;
  std::vector<bool> noWaitWhilePlaying;
  SetSpeechObserver([&](const std::string& e) {
    if (e.rfind("play:", 0) == 0) {
      const std::string path = e.substr(5);
      events.push_back(path.substr(path.find_last_of("\\/") + 1));
      noWaitWhilePlaying.push_back(WavFlags().noWait);
    } else if (e == "click" || e == "beep") {
      events.push_back(e);
    }
  });
  WavFlags().noWait = false;
  for (char c : std::string("ab\b")) PushKey(static_cast<uint8_t>(c));
  PushKey(0);
  PushKey(115);  // Ctrl+Left
  PushKey(13);
  std::string text;
  SetCursor(1, 3);
  EXPECT_EQ(EditLineSpoken(text, 1, 3, 40, 255), 13);
  SetSpeechObserver({});
  EXPECT_EQ(text, "a");
  // The translator is not started here, so the character sounds are the stand-in file.
  EXPECT_EQ(events, (std::vector<std::string>{"_unknown.wav", "_unknown.wav", "_DEL.wav",
                                              "_unknown.wav", "click"}));
  // Echoes never hold up typing while the editor runs; the mode is put back after it.
  for (bool on : noWaitWhilePlaying) EXPECT_TRUE(on);
  EXPECT_FALSE(WavFlags().noWait);
}

}  // namespace
}  // namespace mg
