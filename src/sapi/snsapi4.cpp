// Kind 4 over espeak-ng. Texts are cut into pieces and given to espeak-ng one at a time;
// the next piece goes once every block of the previous one has been passed on, so at
// most one piece's samples wait in memory. Blocks arrive through the hand-over queue in
// any nesting of message dispatch, so they are put back in order by their index before
// they are played.
#include "sapi/snsapi4.h"

#include <algorithm>
#include <deque>
#include <fstream>
#include <map>
#include <memory>

#include "audio/snwav.h"
#include "common/wavheader.h"
#include "console/console.h"
#include "sapi/espeakng.h"
#include "sapi/textpieces.h"
#include "speech/dispatch.h"

namespace mg {
namespace {

using sapi::EspeakBlock;

constexpr size_t kPieceLimit = 1000;  // bytes of text given to espeak-ng at once

struct State {
  bool started = false;
  uint32_t blockMessage = 0;
  uint32_t feedMessage = 0;
  std::string voiceName;
  std::deque<std::string> waiting;  // pieces (UTF-8) not yet given to espeak-ng
  bool synthesizing = false;        // a piece is with espeak-ng, or its blocks are not all played
  unsigned current = 0;             // that piece's identifier
  uint32_t nextIndex = 0;           // its next block to play
  std::map<uint32_t, std::unique_ptr<EspeakBlock>> arrived;  // its blocks ahead of nextIndex
  bool playing = false;  // sound was queued and may still be playing
  bool feedPosted = false;
  bool feeding = false;
  std::string outputFile;  // collect instead of playing
  std::vector<uint8_t> collected;
};

State& S() {
  static State s;
  return s;
}

void DropAll() {
  State& s = S();
  sapi::EspeakCancel();
  s.waiting.clear();
  s.arrived.clear();
  s.synthesizing = false;
}

void Play(const std::vector<int16_t>& samples) {
  State& s = S();
  const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
  const uint32_t length = static_cast<uint32_t>(samples.size() * sizeof(int16_t));
  if (!s.outputFile.empty()) {
    s.collected.insert(s.collected.end(), bytes, bytes + length);
    return;
  }
  // The voice has its own rate; the recorded voice's faster modes do not apply to it.
  SnWavFlags& flags = WavFlags();
  const SnWavFlags kept = flags;
  flags.slightlyFaster = false;
  flags.cutSpeech = false;
  s.playing = true;
  TocaPCM(bytes, length, static_cast<uint32_t>(sapi::EspeakSampleRate()), 1, 16);
  flags.slightlyFaster = kept.slightlyFaster;
  flags.cutSpeech = kept.cutSpeech;
}

void SubmitNext() {
  State& s = S();
  while (!s.synthesizing && !s.waiting.empty()) {
    const std::string piece = std::move(s.waiting.front());
    s.waiting.pop_front();
    unsigned id = 0;
    if (!sapi::EspeakSpeak(piece, id)) {
      Sapi4Stop();  // a speaking error silences the voice
      return;
    }
    s.synthesizing = true;
    s.current = id;
    s.nextIndex = 0;
    s.arrived.clear();
  }
}

// Plays the blocks of the current piece that are next in order. Playing waits for free
// buffers and so services messages; blocks arriving meanwhile are only stored.
void Feed() {
  State& s = S();
  if (s.feeding) return;
  s.feeding = true;
  while (s.synthesizing) {
    const auto it = s.arrived.find(s.nextIndex);
    if (it == s.arrived.end()) break;
    const std::unique_ptr<EspeakBlock> block = std::move(it->second);
    s.arrived.erase(it);
    ++s.nextIndex;
    if (s.outputFile.empty() && WavFlags().keyInterrupt && KeyWaiting()) {
      Sapi4Stop();
      break;
    }
    const unsigned text = s.current;
    if (!block->samples.empty()) Play(block->samples);
    if (!s.synthesizing || s.current != text) break;  // stopped while playing
    if (block->last) {
      s.synthesizing = false;
      SubmitNext();
    }
  }
  s.feeding = false;
}

void OnBlock(uint32_t, intptr_t first, intptr_t) {
  std::unique_ptr<EspeakBlock> block(reinterpret_cast<EspeakBlock*>(first));
  State& s = S();
  if (!block || !s.synthesizing || block->text != s.current || block->index < s.nextIndex) return;
  s.arrived[block->index] = std::move(block);
  if (!s.feedPosted) {
    // Played from a message of its own, outside the hand-over dispatch that delivered it.
    s.feedPosted = true;
    PostConsoleMessage(s.feedMessage);
  }
}

void OnFeed(uint32_t, intptr_t, intptr_t) {
  S().feedPosted = false;
  Feed();
}

void WriteCollected() {
  State& s = S();
  const std::vector<uint8_t> wav =
      MakeWav(s.collected, static_cast<uint32_t>(sapi::EspeakSampleRate()), 1, 16);
  std::ofstream out(s.outputFile, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
  s.collected.clear();
}

bool Start(int voice, int speed, int tone, const std::string& outputFile) {
  return Sapi4Init(voice, speed, tone, outputFile);
}
void End() { Sapi4Done(); }
void Speak(std::string_view text) { Sapi4Speak(text); }
bool Busy(int argument) { return Sapi4Busy(argument != 0); }
void Stop() { Sapi4Stop(); }

[[maybe_unused]] const bool kRegistered = [] {
  RegisterSynthBackend(4, SynthBackend{&Start, &End, &Speak, &Busy, &Stop});
  return true;
}();

}  // namespace

bool Sapi4Init(int voice, int speed, int pitch, const std::string& outputFile) {
  State& s = S();
  if (s.started) Sapi4Done();
  if (s.blockMessage == 0) {
    // Installed once and kept: blocks still travelling after Sapi4Done are freed here.
    s.blockMessage = RegisterConsoleMessage("snsapi4Bloco");
    s.feedMessage = RegisterConsoleMessage("snsapi4Toca");
    SetMessageHandler(s.blockMessage, &OnBlock);
    SetMessageHandler(s.feedMessage, &OnFeed);
  }
  std::string why;
  if (!sapi::EspeakOpen(s.blockMessage, why)) return false;
  const std::vector<sapi::EspeakVoice> voices = sapi::EspeakVoices();
  if (voices.empty()) return false;
  const size_t chosen =
      static_cast<size_t>(std::clamp<int>(voice, 1, static_cast<int>(voices.size()))) - 1;
  if (!sapi::EspeakSelect(voices[chosen].identifier, speed, pitch == 0 ? 50 : 50 + 5 * pitch))
    return false;
  s.voiceName = voices[chosen].name;
  s.outputFile = outputFile;
  s.collected.clear();
  s.playing = false;
  s.started = true;
  return true;
}

std::string Sapi4Text(std::string_view text) {
  std::string owned(sapi::TrimBlanks(text));
  if (owned.size() == 1 && owned[0] >= '0' && owned[0] <= '9') owned += '.';
  return owned;
}

void Sapi4Speak(std::string_view text) {
  State& s = S();
  const std::string owned = Sapi4Text(text);
  if (owned.empty() || !s.started) return;
  if (s.outputFile.empty() && KeyWaiting()) return;
  if (s.synthesizing || !s.waiting.empty()) PauseMs(20);
  for (std::string_view piece : sapi::SplitText(owned, kPieceLimit))
    s.waiting.push_back(sapi::SpeakableUtf8(piece));
  SubmitNext();
}

bool Sapi4Busy(bool onlyText) {
  State& s = S();
  if (!s.started) return false;
  if (!s.feeding && s.arrived.count(s.nextIndex) != 0) Feed();
  const bool text = s.synthesizing || !s.waiting.empty();
  if (onlyText) return text;
  if (s.playing && !text && !Tocando()) s.playing = false;
  return text || s.playing;
}

void Sapi4Stop() {
  State& s = S();
  DropAll();
  if (s.playing && s.outputFile.empty()) ParaSom();
  s.playing = false;
}

void Sapi4Done() {
  State& s = S();
  if (!s.started) return;
  Sapi4Stop();
  PumpMessages();  // frees blocks still in the hand-over queue
  if (!s.outputFile.empty()) WriteCollected();
  s.outputFile.clear();
  s.started = false;
}

std::string Sapi4VoiceName() { return S().voiceName; }

}  // namespace mg
