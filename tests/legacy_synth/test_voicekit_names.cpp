// The kit records every sound name the speech manager plays from the letters directory.
#include <gtest/gtest.h>

#include <set>

#include "gravacoes.h"
#include "speech/numbers.h"

namespace mg::kit {
namespace {

TEST(VoiceKitRecordings, CoverTheSpeechManagersNames) {
  std::set<std::string> kit;
  for (const auto& g : Gravacoes()) kit.insert(g.nome);
  for (const auto& n : RecordedWordNames()) EXPECT_TRUE(kit.count(n)) << n;
  for (int c : {0, 12}) EXPECT_TRUE(kit.count("_" + std::to_string(c))) << c;
}

}  // namespace
}  // namespace mg::kit
