// espeak-ng's Brazilian voice (the espeak-ng program): text or phoneme mnemonics in,
// 16-bit samples out, cached on disk by a hash of everything that decides the output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mg::kit {

class EspeakVoz {
 public:
  // False when the espeak-ng program or its "pt-br" voice cannot be used.
  bool Open(const std::string& cacheDir);
  ~EspeakVoz();

  // Text (UTF-8) or, with phonemes, espeak-ng mnemonics (put inside [[ ]]) at `rate`
  // words per minute. Empty on failure.
  std::vector<int16_t> Speak(const std::string& text, int rate, bool phonemes);
  uint32_t SampleRate() const { return rate_; }
  int CacheHits() const { return hits_; }
  int CacheMisses() const { return misses_; }

 private:
  std::string cacheDir_;
  std::string version_;
  uint32_t rate_ = 0;
  bool open_ = false;
  int hits_ = 0, misses_ = 0;
};

}  // namespace mg::kit
