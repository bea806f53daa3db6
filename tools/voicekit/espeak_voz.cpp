#include "espeak_voz.h"

#include <espeak-ng/speak_lib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace mg::kit {
namespace {

std::vector<int16_t>* g_sink = nullptr;

int Collect(short* wav, int count, espeak_EVENT*) {
  if (g_sink && wav && count > 0) g_sink->insert(g_sink->end(), wav, wav + count);
  return 0;
}

uint64_t Fnv1a(const std::string& s) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

bool EspeakVoz::Open(const std::string& cacheDir) {
  const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
  if (rate <= 0) return false;
  rate_ = static_cast<uint32_t>(rate);
  open_ = true;
  if (espeak_SetVoiceByName("pt-br") != EE_OK) return false;
  espeak_SetSynthCallback(Collect);
  const char* path = nullptr;
  version_ = espeak_Info(&path);
  cacheDir_ = cacheDir;
  if (!cacheDir_.empty()) std::filesystem::create_directories(cacheDir_);
  return true;
}

EspeakVoz::~EspeakVoz() {
  if (open_) espeak_Terminate();
}

std::vector<int16_t> EspeakVoz::Speak(const std::string& text, int rate, bool phonemes) {
  const std::string input = phonemes ? "[[" + text + "]]" : text;
  const std::string key =
      version_ + "|pt-br|" + std::to_string(rate) + "|" + std::to_string(rate_) + "|" + input;
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.raw", static_cast<unsigned long long>(Fnv1a(key)));
  const std::filesystem::path cached =
      cacheDir_.empty() ? std::filesystem::path() : std::filesystem::path(cacheDir_) / name;
  std::vector<int16_t> out;
  if (!cached.empty()) {
    // A cache file starts with its key, so that a hash collision is never taken for a hit.
    std::ifstream in(cached, std::ios::binary);
    uint32_t keyLen = 0;
    if (in.read(reinterpret_cast<char*>(&keyLen), 4) && keyLen == key.size()) {
      std::string stored(keyLen, '\0');
      if (in.read(stored.data(), keyLen) && stored == key) {
        std::vector<char> rest((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        out.resize(rest.size() / 2);
        std::memcpy(out.data(), rest.data(), out.size() * 2);
        ++hits_;
        return out;
      }
    }
  }
  ++misses_;
  espeak_SetParameter(espeakRATE, rate, 0);
  g_sink = &out;
  const unsigned flags = espeakCHARS_UTF8 | (phonemes ? espeakPHONEMES : 0u);
  const espeak_ERROR err =
      espeak_Synth(input.c_str(), input.size() + 1, 0, POS_CHARACTER, 0, flags, nullptr, nullptr);
  espeak_Synchronize();
  g_sink = nullptr;
  if (err != EE_OK) return {};
  if (!cached.empty()) {
    const std::filesystem::path tmp = cached.string() + ".tmp";
    {
      std::ofstream o(tmp, std::ios::binary);
      const uint32_t keyLen = static_cast<uint32_t>(key.size());
      o.write(reinterpret_cast<const char*>(&keyLen), 4);
      o.write(key.data(), static_cast<std::streamsize>(key.size()));
      o.write(reinterpret_cast<const char*>(out.data()),
              static_cast<std::streamsize>(out.size() * 2));
    }
    std::error_code ec;
    std::filesystem::rename(tmp, cached, ec);
  }
  return out;
}

}  // namespace mg::kit
