// The speech manager's start and end, and the operations every prompt, key echo and
// spelled character goes through.

#include <chrono>
#include <iostream>

#include "audio/snwav.h"
#include "common/paths.h"
#include "console/console.h"
#include "legacy/sninter.h"
#include "legacy/sntradut.h"
#include "speech/config.h"
#include "speech/dispatch.h"
#include "speech/legacy_path.h"
#include "speech/speech.h"
#include "speech/speed.h"

namespace mg {
namespace {

std::string WithBackslash(std::string d) {
  if (!d.empty() && d.back() != '\\' && d.back() != '/') d += '\\';
  return d;
}

// Said when the console's window cannot open: nothing can be shown and no key can stop
// it, so the sentence is spoken to its end, within a deadline; then speech is closed, as
// the program ends.
void SayWithoutWindow(const char* sentence) {
  SpeakText(sentence);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (IsSpeaking() && std::chrono::steady_clock::now() < end) WaitMessage(50);
  StopSpeech();
  SpeechDone();
}

}  // namespace

SpeechState& Speech() {
  static SpeechState state;
  return state;
}

void SpeechInit(int speedIndex, const std::string& programSoundDirectory) {
  SpeechState& st = Speech();
  // The back-ends' own settings (the engine's file locations) are read once, at the
  // program's first start, while the fallback to the system's Sonela.ini still holds.
  static const bool prepared = (SynthPrepare(), true);
  (void)prepared;
  LoadLowVisionSettings();
  SetLegacyFallback(ReadLegado());
  int n = speedIndex;
  if (n <= 0) n = StartingSpeedIndex();
  if (n < 1 || n > 5) n = 3;
  LoadVoiceParameters(n);
  SetBlockPlayer(&PlayWaveBlock);
  if (const int code = IniciaTradutor(); code != 0) {
    // Written only: without the translator there is nothing to speak with.
    std::cout << "Erro de inicializa\xe7\xe3o: " << code << "\r\n"
              << "Banco de dados de voz: " << NomeBancoDeVoz() << "\r\n"
              << std::flush;
    FechaTradutor();
    char line[256];
    ConsoleReadLine(line, sizeof line);
    ConsoleDone();
  }
  st.programSoundDirectory = WithBackslash(programSoundDirectory);
  st.lettersDirectory = WithBackslash(ReadLettersDirectory());
  LoadVoiceParameters(n);
  st.speedIndex = n;
  st.systemSynthActive = false;
  if (ReadSapiSelected()) {
    const SynthSettings s = ReadSynthSettings();
    st.synthKind = s.kind;
    const int speed = ReadSynthSpeed(s.kind, n, s.speed);
    st.systemSynthActive = SynthInit(s.voice, speed, s.tone, s.kind, "");
  }
  SetNoWindowHandler(&SayWithoutWindow);
}

void SpeechDone() {
  SpeechState& st = Speech();
  WaitWhileSpeaking();
  StopSpeech();
  if (st.systemSynthActive) {
    SynthDone();
    st.systemSynthActive = false;
  }
  FechaTradutor();
}

void SpeakText(std::string_view text) {
  SpeechState& st = Speech();
  if (st.systemSynthActive) {
    WaitWhileSpeaking();
    if (!KeyWaiting()) {
      SynthSpeak(text);
      st.pending = true;
    }
    return;
  }
  SpeakTextLegacyPath(text);
}

void WriteSpoken(std::string_view text) {
  std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
  std::cout.flush();
  SpeakText(text);
}

void SpeakLine(std::string_view text) {
  WriteSpoken(text);
  std::cout << "\r\n" << std::flush;
}

void SpellText(std::string_view text) {
  for (const char c : text) {
    if (KeyWaiting()) break;
    if (c == '\t') {
      PlayRecorded("_FON9");
    } else {
      SpeakChar(static_cast<uint8_t>(c));
    }
  }
}

void SpeakChar(uint8_t c) {
  WaitPendingSpeech();
  if ((c >= 1 && c <= 11) || (c >= 13 && c <= 31)) return;
  const std::string dir = WithBackslash(DiretorioLetras());
  std::string path = dir + "_" + std::to_string(c) + ".wav";
  if (!FileExists(ToLinuxPath(path))) path = dir + "_unknown.wav";
  NoteSpeechEvent("play:" + path);
  TocaArquivo(path);
}

void PlayRecorded(std::string_view soundName) {
  WaitPendingSpeech();
  const SpeechState& st = Speech();
  const bool letters = !soundName.empty() && soundName[0] == '_';
  const std::string path =
      (letters ? st.lettersDirectory : st.programSoundDirectory) + std::string(soundName) + ".wav";
  NoteSpeechEvent("play:" + path);
  TocaArquivo(path);  // a missing file is silent
}

void StopSpeech() {
  SpeechState& st = Speech();
  ParaSom();
  st.stop = true;
  if (st.systemSynthActive && (SynthBusy(0) || st.synthKind == 3)) SynthStop();
  PostConsoleMessage(kMsgStopSpeech);
}

bool IsSpeaking() {
  if (KeyWaiting()) {
    StopSpeech();
    return false;
  }
  if (!Speech().systemSynthActive) return Tocando();
  const bool playing = Tocando();
  return SynthBusy(0) || playing;
}

void WaitPendingSpeech() {
  SpeechState& st = Speech();
  if (!st.pending) return;
  WaitWhileSpeaking();
  st.pending = false;
}

uint8_t ReadKeySpoken() {
  const uint8_t key = ReadKey();
  StopSpeech();
  SpeakChar(key);
  return key;
}

void InterruptiblePause(int milliseconds) {
  if (milliseconds <= 0) return;
  NoteSpeechEvent("pause:" + std::to_string(milliseconds));
  for (int i = 0; i < milliseconds / 50; ++i) {
    if (!KeyWaiting()) PauseMs(50);
  }
}

void SpeakPunctuation(std::string_view text) {
  if (text.empty() || KeyWaiting()) return;
  const SpeechState& st = Speech();
  WaitWhileSpeaking();
  const char c = text[0];
  const bool blankAfter = text.size() > 1 && text[1] == ' ';
  SpeakChar(static_cast<uint8_t>(c));
  int pause = 0;
  switch (c) {
    case '(':
    case ')':
    case ':':
    case ';':
      pause = st.pauseColon;
      break;
    case ',':
    case '-':
      if (blankAfter) pause = st.pauseComma;
      break;
    case '.':
      if (blankAfter) pause = st.pausePoint;
      break;
    default:
      break;
  }
  InterruptiblePause(pause);
}

}  // namespace mg
