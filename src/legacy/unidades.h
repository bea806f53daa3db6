// The legacy voice's recorded units: the diphone index and data file (DIFONES2.IND and
// DIFONES2.DIF) and the letter recordings, read defensively because users replace them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mg {

constexpr int kUnitRecordSize = 15;  // bytes per index record
constexpr int kUnitNameMax = 8;
constexpr uint32_t kLegacyRate = 11025;

struct UnitRecord {
  std::string name;     // upper case, at most 8 characters
  uint32_t length = 0;  // samples
  uint32_t offset = 0;  // first sample in the data file
};

// The whole index in memory. A record whose name length is over 8 or whose samples lie
// (partly) past the end of the data file is kept out, so its unit counts as not found.
// An index that is not sorted is sorted here: the search relies on it.
class UnitIndex {
 public:
  // False when the size is not a whole number of records.
  bool Parse(const uint8_t* data, size_t size, uint64_t dataFileSize);
  const UnitRecord* Find(std::string_view upperName) const;
  size_t Count() const { return records_.size(); }
  size_t Rejected() const { return rejected_; }
  const std::vector<UnitRecord>& Records() const { return records_; }
  void Clear() {
    records_.clear();
    rejected_ = 0;
  }

 private:
  std::vector<UnitRecord> records_;
  size_t rejected_ = 0;
};

// One unit to store: name (any case, cut to 8, upper-cased) and its samples.
struct UnitSamples {
  std::string name;
  std::vector<uint8_t> samples;
};

// Builds the index and data file bytes, index sorted as the search needs. Units longer
// than 65535 samples are cut (the index field is 16 bits); of duplicate names the first
// is kept.
void BuildUnitDatabase(std::vector<UnitSamples> units, std::vector<uint8_t>& index,
                       std::vector<uint8_t>& data);

// Samples of a RIFF/WAVE file as 8-bit unsigned mono at 11025 Hz. Chunks are walked as
// the legacy reader does (RIFF, then "fmt ", then the chunks up to "data", identifiers
// without regard to case). PCM of 8, 16, 24 or 32 bits, any channel count and rate is
// converted; a data length past the end of the file is cut to what is there. Empty when
// the file is broken, not PCM, or holds no samples.
std::optional<std::vector<uint8_t>> DecodeWavU8Mono(const uint8_t* data, size_t size,
                                                    uint32_t rate = kLegacyRate);
std::optional<std::vector<uint8_t>> ReadWavU8Mono(const std::string& linuxPath,
                                                  uint32_t rate = kLegacyRate);

// Whole file into memory (at most maxBytes); false when it cannot be read or is larger.
bool ReadWholeFile(const std::string& linuxPath, std::vector<uint8_t>& out,
                   size_t maxBytes = 64u << 20);

}  // namespace mg
