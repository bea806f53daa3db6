#include "speech/dialtones.h"

#include <string>

#include "audio/snwav.h"
#include "console/console.h"
#include "legacy/sntradut.h"
#include "speech/speech.h"

namespace mg {
namespace {

// The legacy translator's letters directory; the speech manager's copy (from the same
// key) while the translator has not been started.
std::string LettersDirectory() {
  std::string dir = DiretorioLetras();
  if (dir.empty()) dir = Speech().lettersDirectory;
  if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
  return dir;
}

// A pause that a key cuts short, in slices so the window keeps being serviced.
void PauseUnlessKey(int milliseconds) {
  for (int left = milliseconds; left > 0 && !KeyWaiting(); left -= 50) {
    PauseMs(static_cast<uint16_t>(left < 50 ? left : 50));
  }
}

}  // namespace

void SpeakDialTones(std::string_view text) {
  const bool faster = WavFlags().slightlyFaster;
  WavFlags().slightlyFaster = false;
  const std::string dir = LettersDirectory();
  for (char ch : text) {
    if (KeyWaiting()) break;
    if (ch == '#' || ch == '*' || (ch >= '0' && ch <= '9')) {
      TocaArquivo(dir + "dtmf_" + (ch == '*' ? 'X' : ch) + ".wav");
      while (IsSpeaking()) WaitMessage(20);
      PauseUnlessKey(100);
    } else if (ch == ',') {
      PauseUnlessKey(1000);
    }
  }
  WavFlags().slightlyFaster = faster;
}

}  // namespace mg
