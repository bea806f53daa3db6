// The engine over the real `mbrola` and its voice br4 (installed by scripts/install-deps):
// a child killed in the middle of an utterance, a voice file that is no voice.
// Without them the tests skip, or fail when MG_REQUIRE_SERVICES=1 (CI).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "console/minireg.h"
#include "engine/mbrola.h"
#include "engine/uttsOndal.h"

namespace mg {
namespace {

namespace fs = std::filesystem;

class RealMbrola : public ::testing::Test {
 protected:
  void SetUp() override {
    const bool have = CarregaMbrola() && fs::exists("/usr/share/mbrola/br4/br4");
    DescarregaMbrola();
    if (!have) {
      const char* require = getenv("MG_REQUIRE_SERVICES");
      if (require && std::string(require) == "1") {
        FAIL() << "mbrola or its voice br4 is not installed (scripts/install-deps)";
      }
      GTEST_SKIP() << "mbrola or its voice br4 is not installed";
    }
    TocadorOndal p;
    p.toca = [this](const uint8_t* img, uint32_t n) {
      images.emplace_back(img + 44, img + n);
      if (killAtFirst && images.size() == 1) {
        killed = ProcessoMbrola();
        kill(killed, SIGKILL);
      }
    };
    DefineTocadorOndal(p);
    OndalArquivoSaida("");
    OndalFatores(1.0, 0.8);
  }
  void TearDown() override {
    OndalTermina();
    DefineTocadorOndal({});
    SetMbrolaRoot("/usr/share/mbrola");
  }
  static std::string Data(const char* ext) {
    return std::string(MG_SOURCE_DIR) + "/data/ondal/portug." + ext;
  }
  bool Start() {
    return OndalInicia("br4", Data("nrl"), Data("exc"), Data("abr"), Data("pro"), Data("dfn"));
  }
  double Rms() const {
    double sum = 0;
    size_t n = 0;
    for (const auto& im : images)
      for (size_t i = 0; i + 1 < im.size(); i += 2, ++n) {
        const double s = static_cast<int16_t>(im[i] | im[i + 1] << 8);
        sum += s * s;
      }
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0;
  }

  std::vector<std::vector<uint8_t>> images;
  bool killAtFirst = false;
  pid_t killed = 0;
};

TEST_F(RealMbrola, AChildKilledMidUtteranceFailsThatCallAndTheNextSpeaks) {
  ASSERT_TRUE(Start()) << lastErrorStr_MBR();
  const std::string text =
      "Preparando a grava\xe7\xe3o, aguarde. Os arquivos do diret\xf3rio ser\xe3o gravados no CD "
      "e depois conferidos, um por um, antes de o disco sair do gravador.";
  killAtFirst = true;
  EXPECT_FALSE(OndalFala(text));
  ASSERT_GT(killed, 0);
  EXPECT_TRUE(kill(killed, 0) != 0 && errno == ESRCH) << "the killed child is reaped";
  killAtFirst = false;
  images.clear();
  EXPECT_TRUE(OndalFala("Grava\xe7\xe3o terminada"));
  EXPECT_GT(Rms(), 500) << "the new child on the same voice speaks";
  EXPECT_NE(ProcessoMbrola(), killed);
}

TEST_F(RealMbrola, AVoiceFileThatIsNoVoiceLeavesNoChild) {
  const fs::path dir = fs::temp_directory_path() / ("mg_realmbrola_" + std::to_string(getpid()));
  fs::create_directories(dir / "br4");
  std::ofstream(dir / "br4" / "br4") << "isto n\xe3o \xe9 uma voz";
  SetMbrolaRoot(dir.string());
  EXPECT_FALSE(Start());
  EXPECT_EQ(ProcessoMbrola(), 0);
  EXPECT_TRUE(waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace mg
