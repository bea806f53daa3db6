#include "speech_double.h"

#include <deque>

#include "audio/snwav.h"
#include "console/console.h"
#include "legacy/sntradut.h"
#include "speech/numbers.h"
#include "speech/speech.h"

namespace mg {
namespace test {
namespace {

int g_stops = 0;
std::deque<std::vector<uint8_t>> g_afterBeep;
std::deque<uint8_t> g_script;
std::function<void(const std::string&)> g_onSound;

void FeedOne() {
  if (g_script.empty()) return;
  PushKey(g_script.front());
  g_script.pop_front();
}

}  // namespace

std::vector<std::string>& Sounds() {
  static std::vector<std::string> sounds;
  return sounds;
}

void ClearSounds() {
  Sounds().clear();
  g_stops = 0;
  g_afterBeep.clear();
  g_script.clear();
  g_onSound = {};
}

void FeedKeys(const std::string& script, size_t initial) {
  for (char c : script) g_script.push_back(static_cast<uint8_t>(c));
  for (size_t i = 0; i < initial; ++i) FeedOne();
}

void OnSound(std::function<void(const std::string&)> hook) { g_onSound = std::move(hook); }

void Note(std::string event) {
  Sounds().push_back(event);
  if (g_onSound) g_onSound(Sounds().back());
}

int StopCount() { return g_stops; }

void PushAfterBeep(std::vector<uint8_t> keys) { g_afterBeep.push_back(std::move(keys)); }

}  // namespace test

using test::Sounds;

SpeechState& Speech() {
  static SpeechState state;
  return state;
}

SnWavFlags& WavFlags() {
  static SnWavFlags flags;
  return flags;
}

void SpeechInit(int speedIndex, const std::string& programSoundDirectory) {
  test::Note("init:" + std::to_string(speedIndex) + ":" + programSoundDirectory);
  Speech().speedIndex = speedIndex >= 1 && speedIndex <= 5 ? speedIndex : 3;
}
void SpeechDone() { test::Note("done"); }
void SpeakText(std::string_view text) { test::Note("text:" + std::string(text)); }
void SpellText(std::string_view text) { test::Note("spell:" + std::string(text)); }
void SpeakChar(uint8_t character) {
  test::Note("char:" + std::to_string(character));
  test::FeedOne();
}
void PlayRecorded(std::string_view name) { test::Note("rec:" + std::string(name)); }
void StopSpeech() { ++test::g_stops; }
bool IsSpeaking() { return false; }
void SoundClick() { test::Note("click"); }
void SoundBeep() {
  test::Note("beep");
  test::FeedOne();
  if (!test::g_afterBeep.empty()) {
    for (uint8_t k : test::g_afterBeep.front()) PushKey(k);
    test::g_afterBeep.pop_front();
  }
}
uint8_t ReadKeySpoken() {
  const uint8_t k = ReadKey();
  StopSpeech();
  SpeakChar(k);
  return k;
}
void SpeakTime() { test::Note("time"); }
void SpeakDate() { test::Note("date"); }

int TocaArquivo(const std::string& path) {
  test::Note("file:" + path);
  return 0;
}

std::string DiretorioLetras() { return "c:\\som\\letras\\"; }

}  // namespace mg
