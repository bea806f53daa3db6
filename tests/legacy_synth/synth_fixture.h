// A small unit database and letters directory in a temporary folder, and a block player
// that keeps every block, for the synthesizer's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/wavheader.h"
#include "legacy/sntradut.h"
#include "legacy/unidades.h"

namespace mg::test {

inline std::vector<std::vector<uint8_t>>& Blocks() {
  static std::vector<std::vector<uint8_t>> blocks;
  return blocks;
}
inline void KeepBlock(const unsigned char* b, unsigned n) { Blocks().emplace_back(b, b + n); }

inline std::vector<std::string>& Lookups() {
  static std::vector<std::string> names;
  return names;
}
inline bool RecordLookup(const std::string& name, bool) {
  Lookups().push_back(name);
  return false;
}

inline void WriteFile(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

class SynthTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("mg_legsynth_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "letras");
    std::filesystem::create_directories(dir_ / "difones");
    WriteFile(dir_ / "difones" / "regras.rgr", {});
    WriteFile(dir_ / "difones" / "portug.exc", {});
    Blocks().clear();
    Lookups().clear();
    SetBlockPlayer(KeepBlock);
    SetUnitLookupHook(nullptr);
    AjustaParametros(400, 0, 100);
  }
  void TearDown() override {
    FechaTradutor();
    SetUnitLookupHook(nullptr);
    std::filesystem::remove_all(dir_);
  }

  static UnitSamples Unit(const std::string& name, size_t n, uint8_t value) {
    return UnitSamples{name, std::vector<uint8_t>(n, value)};
  }
  void WriteDatabase(std::vector<UnitSamples> units) {
    std::vector<uint8_t> ind, dif;
    BuildUnitDatabase(std::move(units), ind, dif);
    WriteFile(dir_ / "difones" / "DIFONES2.IND", ind);
    WriteFile(dir_ / "difones" / "DIFONES2.DIF", dif);
  }
  void WriteLetter(const std::string& name, const std::vector<uint8_t>& samples) {
    WriteFile(dir_ / "letras" / (name + ".wav"), MakeWav(samples, 11025, 1, 8));
  }
  int Start() { return IniciaTradutorEm((dir_ / "letras").string(), (dir_ / "difones").string()); }
  // Every played sample in order, after checking each block's header.
  static std::vector<uint8_t> Played() {
    std::vector<uint8_t> all;
    for (const auto& b : Blocks()) {
      EXPECT_GT(b.size(), 44u);
      EXPECT_LE(b.size(), 63999u);
      EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
      const uint32_t dataLen = b[40] | (b[41] << 8) | (b[42] << 16) | (uint32_t(b[43]) << 24);
      EXPECT_EQ(dataLen + 44, b.size());
      all.insert(all.end(), b.begin() + 44, b.end());
    }
    return all;
  }

  std::filesystem::path dir_;
};

}  // namespace mg::test
