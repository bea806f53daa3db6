// Index and data file of the legacy unit database, and the WAV reader for letter
// recordings. Everything read from disk is bounds-checked here.
#include "legacy/unidades.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace mg {
namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool IdIs(const uint8_t* p, const char* id) {
  for (int i = 0; i < 4; ++i) {
    int a = p[i], b = static_cast<unsigned char>(id[i]);
    if (a >= 'a' && a <= 'z') a -= 32;
    if (b >= 'a' && b <= 'z') b -= 32;
    if (a != b) return false;
  }
  return true;
}

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

bool NameLess(const UnitRecord& a, const UnitRecord& b) { return a.name < b.name; }

}  // namespace

bool UnitIndex::Parse(const uint8_t* data, size_t size, uint64_t dataFileSize) {
  Clear();
  if (size % kUnitRecordSize != 0) return false;
  const size_t count = size / kUnitRecordSize;
  records_.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* r = data + i * kUnitRecordSize;
    UnitRecord rec;
    const int len = r[0];
    rec.length = Le16(r + 9);
    rec.offset = Le32(r + 11);
    if (len > kUnitNameMax || static_cast<uint64_t>(rec.offset) + rec.length > dataFileSize) {
      ++rejected_;
      continue;
    }
    rec.name.assign(reinterpret_cast<const char*>(r + 1), static_cast<size_t>(len));
    records_.push_back(std::move(rec));
  }
  if (!std::is_sorted(records_.begin(), records_.end(), NameLess))
    std::stable_sort(records_.begin(), records_.end(), NameLess);
  return true;
}

const UnitRecord* UnitIndex::Find(std::string_view upperName) const {
  size_t lo = 0, hi = records_.size();
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    const int c = std::string_view(records_[mid].name).compare(upperName);
    if (c == 0) return &records_[mid];
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return nullptr;
}

void BuildUnitDatabase(std::vector<UnitSamples> units, std::vector<uint8_t>& index,
                       std::vector<uint8_t>& data) {
  for (auto& u : units) {
    u.name = UpperAscii(u.name.substr(0, kUnitNameMax));
    if (u.samples.size() > 65535) u.samples.resize(65535);
  }
  std::stable_sort(units.begin(), units.end(),
                   [](const UnitSamples& a, const UnitSamples& b) { return a.name < b.name; });
  units.erase(
      std::unique(units.begin(), units.end(),
                  [](const UnitSamples& a, const UnitSamples& b) { return a.name == b.name; }),
      units.end());
  index.clear();
  data.clear();
  for (const auto& u : units) {
    uint8_t r[kUnitRecordSize] = {};
    r[0] = static_cast<uint8_t>(u.name.size());
    std::memcpy(r + 1, u.name.data(), u.name.size());
    const uint32_t len = static_cast<uint32_t>(u.samples.size());
    const uint32_t off = static_cast<uint32_t>(data.size());
    r[9] = len & 0xff;
    r[10] = (len >> 8) & 0xff;
    for (int i = 0; i < 4; ++i) r[11 + i] = (off >> (8 * i)) & 0xff;
    index.insert(index.end(), r, r + kUnitRecordSize);
    data.insert(data.end(), u.samples.begin(), u.samples.end());
  }
}

std::optional<std::vector<uint8_t>> DecodeWavU8Mono(const uint8_t* data, size_t size,
                                                    uint32_t rate) {
  if (size < 12 || !IdIs(data, "RIFF")) return std::nullopt;
  size_t pos = 12;
  bool haveFmt = false;
  uint16_t format = 0, channels = 0, bits = 0;
  uint32_t srcRate = 0;
  while (true) {
    if (size - pos < 8) return std::nullopt;
    const uint8_t* h = data + pos;
    uint32_t len = Le32(h + 4);
    pos += 8;
    if (IdIs(h, "data")) {
      if (!haveFmt) return std::nullopt;
      if (len > size - pos) len = static_cast<uint32_t>(size - pos);
      const uint8_t* s = data + pos;
      const unsigned bytesPer = bits / 8u;
      const size_t frameBytes = static_cast<size_t>(bytesPer) * channels;
      const size_t frames = len / frameBytes;
      if (frames == 0) return std::nullopt;
      if (bits == 8 && channels == 1 && srcRate == rate) return std::vector<uint8_t>(s, s + frames);
      // Mix to mono as values in -1..1, then resample linearly.
      std::vector<float> mono(frames);
      for (size_t f = 0; f < frames; ++f) {
        float sum = 0;
        for (unsigned c = 0; c < channels; ++c) {
          const uint8_t* p = s + f * frameBytes + c * bytesPer;
          float v;
          if (bits == 8) {
            v = (p[0] - 128) / 128.0f;
          } else {
            // Little-endian signed; the top two bytes carry enough precision.
            const int hi = static_cast<int8_t>(p[bytesPer - 1]);
            const int lo = p[bytesPer - 2];
            v = (hi * 256 + lo) / 32768.0f;
          }
          sum += v;
        }
        mono[f] = sum / channels;
      }
      const size_t outCount = static_cast<size_t>(static_cast<uint64_t>(frames) * rate / srcRate);
      if (outCount == 0) return std::nullopt;
      std::vector<uint8_t> out(outCount);
      for (size_t i = 0; i < outCount; ++i) {
        const double t = static_cast<double>(i) * srcRate / rate;
        const size_t k = static_cast<size_t>(t);
        const double frac = t - static_cast<double>(k);
        const float a = mono[std::min(k, frames - 1)];
        const float b = mono[std::min(k + 1, frames - 1)];
        const double v = a + (b - a) * frac;
        const long q = std::lround(v * 127.0) + 128;
        out[i] = static_cast<uint8_t>(std::clamp(q, 0L, 255L));
      }
      return out;
    }
    if (IdIs(h, "fmt ")) {
      if (len < 16 || len > size - pos) return std::nullopt;
      const uint8_t* f = data + pos;
      format = Le16(f);
      channels = Le16(f + 2);
      srcRate = Le32(f + 4);
      bits = Le16(f + 14);
      if ((format != 1 && format != 0xFFFE) || channels < 1 || channels > 8 || srcRate < 1000 ||
          srcRate > 384000 || (bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return std::nullopt;
      haveFmt = true;
    }
    const uint64_t skip = static_cast<uint64_t>(len) + (len & 1u);
    if (skip > size - pos) return std::nullopt;
    pos += static_cast<size_t>(skip);
  }
}

bool ReadWholeFile(const std::string& linuxPath, std::vector<uint8_t>& out, size_t maxBytes) {
  out.clear();
  FILE* f = std::fopen(linuxPath.c_str(), "rb");
  if (!f) return false;
  uint8_t chunk[65536];
  bool ok = true;
  while (true) {
    const size_t n = std::fread(chunk, 1, sizeof chunk, f);
    if (n == 0) {
      ok = !std::ferror(f);
      break;
    }
    if (out.size() + n > maxBytes) {
      ok = false;
      break;
    }
    out.insert(out.end(), chunk, chunk + n);
  }
  std::fclose(f);
  return ok;
}

std::optional<std::vector<uint8_t>> ReadWavU8Mono(const std::string& linuxPath, uint32_t rate) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(linuxPath, bytes)) return std::nullopt;
  return DecodeWavU8Mono(bytes.data(), bytes.size(), rate);
}

}  // namespace mg
