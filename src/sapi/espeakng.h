// The espeak-ng library, in-process: the one place that calls it. espeak-ng synthesizes
// on a thread of its own (RETRIEVAL mode) and hands each stretch of samples to a
// callback there; the callback only copies them into an EspeakBlock and passes it to
// the main thread through the console's hand-over queue (HandOver), as the message
// number given to EspeakOpen with the block's address as its first parameter. The
// receiver owns the block. Every call here runs on the main thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mg::sapi {

struct EspeakBlock {
  unsigned text = 0;             // the text's identifier, as EspeakSpeak returned it
  uint32_t index = 0;            // 0, 1, 2... within the text, in the order espeak-ng made them
  bool last = false;             // the text is finished: no block of it follows
  std::vector<int16_t> samples;  // mono, 16-bit, at EspeakSampleRate()
};

struct EspeakVoice {
  std::string name;        // as espeak-ng names it, e.g. "Portuguese (Brazil)"
  std::string identifier;  // its file within espeak-ng-data/voices
};

// Starts the library once for the program (its data found as espeak-ng finds it:
// ESPEAK_DATA_PATH, else where the package put it). False when it cannot start, with
// espeak-ng's reason in `why`; a later call tries again.
bool EspeakOpen(uint32_t blockMessage, std::string& why);
int EspeakSampleRate();

// Every voice, the Brazilian Portuguese ones first, then the others in espeak-ng's order.
std::vector<EspeakVoice> EspeakVoices();

// Voice, rate (words per minute, 0 = normal) and base pitch (0-100, 50 = the voice's
// own) for the texts that follow.
bool EspeakSelect(const std::string& identifier, int wordsPerMinute, int pitch);

// Queues a UTF-8 text (plain text: no markup, no phoneme input); false when espeak-ng
// refused it. Its blocks start arriving at once.
bool EspeakSpeak(const std::string& utf8, unsigned& text);

// Drops every queued text and stops the one being synthesized; when it returns no block
// of those texts is made any more (blocks already handed over still arrive).
void EspeakCancel();

}  // namespace mg::sapi
