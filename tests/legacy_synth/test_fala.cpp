// sonela-voz fala --voz legado: words through the translator and FalaFonemas, digits and
// punctuation from their letter recordings, punctuation pauses, all into one WAV file.
#include <sys/wait.h>

#include "legacy/sninter.h"
#include "synth_fixture.h"

namespace mg::test {
namespace {

const std::string kTool = std::string(MG_BINARY_DIR) + "/bin/sonela-voz";

class FalaToolTest : public SynthTest {};

TEST_F(FalaToolTest, WritesWhatTheLegacyPathSpeaks) {
  if (!std::filesystem::exists(kTool)) GTEST_SKIP() << "sonela-voz not built";
  const std::string rules = "(C)= k\n(A)=a\n(S)= s\n";
  WriteFile(dir_ / "difones" / "regras.rgr", std::vector<uint8_t>(rules.begin(), rules.end()));
  WriteDatabase({Unit("$KA", 1000, 10), Unit("$SA", 900, 20), Unit("$K", 100, 30),
                 Unit("$S", 100, 40), Unit("$A", 300, 50)});
  WriteLetter("_44", std::vector<uint8_t>(500, 60));
  WriteLetter("_55", std::vector<uint8_t>(700, 70));
  ASSERT_EQ(Start(), 0);
  FalaFonemas(TraduzTexto("casa"));
  std::vector<uint8_t> expected = Played();
  ASSERT_FALSE(expected.empty());
  FechaTradutor();
  expected.insert(expected.end(), 500, 60);    // ","
  expected.insert(expected.end(), 1653, 128);  // its pause, 150 ms, as a blank follows
  expected.insert(expected.end(), 700, 70);    // "7"

  const std::string out = (dir_ / "out.wav").string();
  const std::string cmd = "'" + kTool + "' fala --voz legado 'casa, 7' -o '" + out +
                          "' --letras '" + (dir_ / "letras").string() + "' --difones '" +
                          (dir_ / "difones").string() + "' > /dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const auto got = ReadWavU8Mono(out);
  ASSERT_TRUE(got);
  EXPECT_EQ(*got, expected);

  // A database that cannot be opened: the start-up error, no file.
  const std::string bad = "'" + kTool + "' fala --voz legado casa -o '" + out +
                          "x' --letras /nonexistent --difones /nonexistent 2> /dev/null";
  const int rc = std::system(bad.c_str());
  EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 1);
  EXPECT_FALSE(std::filesystem::exists(out + "x"));
}

}  // namespace
}  // namespace mg::test
