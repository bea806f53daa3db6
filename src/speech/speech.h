// The speech manager's speak operations: every word the program says goes through here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace mg {

void SpeechInit(int speedIndex, const std::string& programSoundDirectory);
void SpeechDone();
void SpeakText(std::string_view text);
void WriteSpoken(std::string_view text);
void SpeakLine(std::string_view text);
void SpellText(std::string_view text);
void SpeakChar(uint8_t character);
void PlayRecorded(std::string_view soundName);
void StopSpeech();
bool IsSpeaking();
void WaitPendingSpeech();
void PlayWaveBlock(const uint8_t* block, uint32_t size);
void SoundClick();
void SoundBeep();
uint8_t ReadKeySpoken();
void InterruptiblePause(int milliseconds);
void SpeakPunctuation(std::string_view text);
// Waits while IsSpeaking, sleeping until the next window message between checks.
void WaitWhileSpeaking();

// Reads the SINTETIZADOR keys of speed index n and hands them on: translator parameters,
// the audio output's two faster modes, the punctuation pauses.
void LoadVoiceParameters(int speedIndex);
// Reads the BAIXAVISAO keys and sets up the line magnifier.
void LoadLowVisionSettings();

// State the line editor and the other speech parts share.
struct SpeechState {
  bool systemSynthActive = false;
  int synthKind = 5;
  int speedIndex = 3;
  std::string lettersDirectory;       // ends in "\"
  std::string programSoundDirectory;  // ends in "\" when not empty
  int pausePoint = 250, pauseComma = 150, pauseColon = 200;
  bool pending = true;
  bool stop = false;
  bool echo = true;
};
SpeechState& Speech();

// Observer for tests and tools. Events: "play:<path>" (a recorded file asked for),
// "word:<path>" (a number word read into a block), "block:<bytes>" (an in-memory sound),
// "click", "beep", "pause:<ms>".
using SpeechObserver = std::function<void(const std::string& event)>;
void SetSpeechObserver(SpeechObserver observer);
void NoteSpeechEvent(const std::string& event);

}  // namespace mg
