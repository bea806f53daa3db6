// uttsOndal over MBROLA stand-in calls and a recording player: what reaches the player
// or the output file, start-up failures, recovery and interruption.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "console/minireg.h"
#include "engine/uttsOndal.h"

namespace mg {
namespace {

namespace fs = std::filesystem;

// The MBROLA stand-in: records the calls; after a flush, reads return the scripted
// sample counts (sample k of the utterance has value k + 1).
struct Fake {
  int carregas = 0, descarregas = 0, closes = 0, resets = 0;
  bool carregaOk = true;
  int initResult = 0;
  std::vector<std::string> inits, written;
  int failWrite = -1;  // index of the write that fails
  bool flushed = false;
  std::deque<int> reads;
  int16_t next = 1;
};
Fake* g_fake = nullptr;

const ChamadasMbrola kFakeCalls{
    [] { return ++g_fake->carregas, g_fake->carregaOk; },
    [] { ++g_fake->descarregas; },
    [](const char* v) { return g_fake->inits.emplace_back(v), g_fake->initResult; },
    [] { ++g_fake->resets, g_fake->flushed = false; },
    [](int) {},
    [](const char* l) {
      g_fake->written.emplace_back(l);
      return static_cast<int>(g_fake->written.size()) - 1 == g_fake->failWrite ? -1 : 0;
    },
    [] { g_fake->flushed = true; },
    [](int16_t* d, int max) {
      if (!g_fake->flushed || g_fake->reads.empty()) return 0;
      const int n = std::min(max, g_fake->reads.front());
      g_fake->reads.pop_front();
      for (int i = 0; i < n; ++i) d[i] = g_fake->next++;
      return n;
    },
    [] { ++g_fake->closes; }};

struct Image {
  std::vector<uint8_t> bytes;
  uint32_t U32(size_t at) const {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
  }
  uint16_t U16(size_t at) const { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); }
};

class Ondal : public ::testing::Test {
 protected:
  void SetUp() override {
    g_fake = &fake;
    saved = MbrolaDoMotor();
    MbrolaDoMotor() = kFakeCalls;
    dir = fs::temp_directory_path() / ("mg_ondal_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "mbrola" / "br4");
    std::ofstream(dir / "mbrola" / "br4" / "br4") << "voz";
    SetMbrolaRoot((dir / "mbrola").string());
    TocadorOndal p;
    p.toca = [this](const uint8_t* img, uint32_t n) {
      images.push_back(Image{std::vector<uint8_t>(img, img + n)});
      flagsDuring.push_back(fast || cut);
    };
    p.tocando = [] { return false; };
    p.interrompido = [this] {
      return stopAfter >= 0 && static_cast<int>(images.size()) > stopAfter;
    };
    p.ligeiramenteRapido = &fast;
    p.cortaFala = &cut;
    DefineTocadorOndal(p);
    OndalArquivoSaida("");
    OndalFatores(1.0, 1.0);
  }
  void TearDown() override {
    OndalTermina();
    OndalArquivoSaida("");
    DefineTocadorOndal({});
    MbrolaDoMotor() = saved;
    SetMbrolaRoot("/usr/share/mbrola");
    fs::remove_all(dir);
  }
  static std::string Data(const char* ext) {
    return std::string(MG_SOURCE_DIR) + "/data/ondal/portug." + ext;
  }
  bool Start(const std::string& abr = Data("abr"), const std::string& nrl = Data("nrl"),
             const std::string& pro = Data("pro")) {
    return OndalInicia("br4", nrl, Data("exc"), abr, pro, Data("dfn"));
  }

  Fake fake;
  ChamadasMbrola saved{};
  fs::path dir;
  std::vector<Image> images;
  std::vector<bool> flagsDuring;
  bool fast = true, cut = true;
  int stopAfter = -1;
};

TEST_F(Ondal, BlankTextSendsNothingToMbrola) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(fake.inits, std::vector<std::string>{(dir / "mbrola/br4/br4").string()});
  EXPECT_TRUE(OndalFala(" \t\r\n  "));
  EXPECT_TRUE(fake.written.empty());
  EXPECT_EQ(fake.resets, 0);
  EXPECT_TRUE(images.empty());
}

TEST_F(Ondal, ReadsReachThePlayerBeforeTheAccumulatorWouldReach64000Bytes) {
  ASSERT_TRUE(Start());
  fake.reads = {20000, 20000, 10000};  // 40000, 40000 and 20000 bytes
  EXPECT_TRUE(OndalFala("Insira o CD."));
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[0].bytes.size(), 44u + 40000);
  EXPECT_EQ(images[1].bytes.size(), 44u + 60000);
  uint16_t expect = 1;
  for (const Image& im : images) {
    EXPECT_EQ(std::memcmp(im.bytes.data(), "RIFF", 4), 0);
    EXPECT_EQ(im.U32(4), im.bytes.size() - 8);
    EXPECT_EQ(im.U16(20), 1);       // PCM
    EXPECT_EQ(im.U16(22), 1);       // mono
    EXPECT_EQ(im.U32(24), 16000u);  // rate
    EXPECT_EQ(im.U32(28), 32000u);
    EXPECT_EQ(im.U16(32), 2);
    EXPECT_EQ(im.U16(34), 16);
    EXPECT_EQ(im.U32(40), im.bytes.size() - 44);
    for (size_t i = 44; i < im.bytes.size(); i += 2, ++expect) ASSERT_EQ(im.U16(i), expect);
  }
  // Lines end in CR LF; the last one is followed by the flush.
  ASSERT_FALSE(fake.written.empty());
  EXPECT_EQ(fake.written.back().substr(fake.written.back().size() - 2), "\r\n");
  EXPECT_EQ(fake.resets, 1);
}

TEST_F(Ondal, AShortUtteranceIsPaddedWithSilenceTo256Bytes) {
  ASSERT_TRUE(Start());
  fake.reads = {50};
  EXPECT_TRUE(OndalFala("a"));
  ASSERT_EQ(images.size(), 1u);
  ASSERT_EQ(images[0].bytes.size(), 44u + 256);
  EXPECT_EQ(images[0].U32(40), 256u);
  EXPECT_EQ(images[0].U16(44 + 98), 50);
  for (size_t i = 44 + 100; i < images[0].bytes.size(); ++i) ASSERT_EQ(images[0].bytes[i], 0);
}

TEST_F(Ondal, ThePlayersFasterModesAreOffWhileTheEngineSpeaks) {
  ASSERT_TRUE(Start());
  fake.reads = {40000, 1000};
  EXPECT_TRUE(OndalFala("Mini Gravador de CD para Windows 7"));
  EXPECT_EQ(flagsDuring, (std::vector<bool>{false, false}));
  EXPECT_TRUE(fast);
  EXPECT_TRUE(cut);
}

TEST_F(Ondal, AKeyThatStopsThePlayerEndsTheUtterance) {
  ASSERT_TRUE(Start());
  stopAfter = 0;
  fake.reads = {40000, 40000, 40000};
  EXPECT_TRUE(OndalFala("Nome do CD"));
  EXPECT_EQ(images.size(), 1u) << "nothing more is handed over after the key";
}

TEST_F(Ondal, AFailedWriteStartsMbrolaAgainOnTheSameVoiceAndTheUtteranceGoesOn) {
  ASSERT_TRUE(Start());
  fake.failWrite = 2;
  fake.reads = {500};
  EXPECT_FALSE(OndalFala("Grava\xe7\xe3o terminada"));
  ASSERT_EQ(fake.inits.size(), 2u);
  EXPECT_EQ(fake.inits[1], fake.inits[0]);
  EXPECT_EQ(fake.closes, 1);
  EXPECT_EQ(fake.carregas, 2);
  EXPECT_GT(fake.written.size(), 3u) << "the lines after the failed one are still sent";
  EXPECT_EQ(images.size(), 1u);
  fake.failWrite = -1;
  fake.reads = {500};
  EXPECT_TRUE(OndalFala("Grava\xe7\xe3o terminada"));
}

TEST_F(Ondal, LongTextsAndAnyByteAreSpokenWithoutTrouble) {
  ASSERT_TRUE(Start());
  std::string text;
  for (int i = 0; text.size() < 100000; ++i)
    text += "Palavra n\xfamero " + std::to_string(i) + ". ";
  EXPECT_TRUE(OndalFala(text));
  EXPECT_GT(fake.written.size(), 20000u);
  std::string bytes;
  for (int c = 0x80; c <= 0xFF; ++c) bytes += static_cast<char>(c);
  fake.written.clear();
  EXPECT_TRUE(OndalFala(bytes + " \x01\x7f"));
}

TEST_F(Ondal, FileModeWritesTheSamplesAndSetsTheHeaderSizesAtTheEnd) {
  const fs::path out = dir /
                       "sa\xc3\xad"
                       "da.wav";
  OndalArquivoSaida((dir / "sa\xed"
                           "da.wav")
                        .string());  // cp1252, as the suite passes it
  ASSERT_TRUE(Start());
  fake.reads = {1000, 234};
  EXPECT_TRUE(OndalFala("Ol\xe1"));
  EXPECT_TRUE(images.empty());
  EXPECT_FALSE(OndalFalando());
  OndalTermina();
  std::ifstream in(out, std::ios::binary);
  const std::string f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(f.size(), 44u + 2468);
  Image im{std::vector<uint8_t>(f.begin(), f.end())};
  EXPECT_EQ(im.U32(40), f.size() - 44);
  EXPECT_EQ(im.U32(4), f.size() - 8);
  EXPECT_EQ(im.U16(44), 1);
  EXPECT_EQ(im.U16(f.size() - 2), 1234);
}

TEST_F(Ondal, AFullDiskDuringFileModeMakesFalaFail) {
  OndalArquivoSaida((dir / "cheio.wav").string());
  ASSERT_TRUE(Start());
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 44 + 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  fake.reads = {400, 400, 400};
  const bool ok = OndalFala("Disco cheio");
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, SIG_DFL);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(fake.reads.empty()) << "the utterance is still completed";
}

TEST_F(Ondal, StartFailuresSayWhichFileAndLeaveNoMbrolaBehind) {
  EXPECT_FALSE(Start((dir / "nada.abr").string()));
  EXPECT_EQ(OndalErro(), "Erro no arquivo de abreviaturas");
  EXPECT_EQ(fake.closes, 1);
  EXPECT_EQ(fake.descarregas, 1);
  EXPECT_FALSE(OndalFala("texto")) << "not started";

  EXPECT_FALSE(Start(Data("abr"), (dir / "nada.nrl").string()));
  EXPECT_EQ(OndalErro(), "Erro na base de dados de portugu\xeas");
  EXPECT_FALSE(Start(Data("abr"), Data("nrl"), (dir / "nada.pro").string()));
  EXPECT_EQ(OndalErro(),
            "Erro no arquivo de pros\xf3"
            "dia");

  // Output file that cannot be created: false, the error text stays as it was.
  OndalArquivoSaida((dir / "nao_existe" / "x.wav").string());
  EXPECT_FALSE(Start());
  EXPECT_EQ(OndalErro(),
            "Erro no arquivo de pros\xf3"
            "dia");
  OndalArquivoSaida("/dev/null/x.wav");
  EXPECT_FALSE(Start());
  if (geteuid() != 0) {  // permissions bind everyone but root
    fs::create_directories(dir / "somente_leitura");
    fs::permissions(dir / "somente_leitura", fs::perms::owner_read | fs::perms::owner_exec);
    OndalArquivoSaida((dir / "somente_leitura" / "x.wav").string());
    EXPECT_FALSE(Start());
    fs::permissions(dir / "somente_leitura", fs::perms::owner_all);
  }
  // A device that takes no byte: the header cannot be written.
  OndalArquivoSaida("/dev/full");
  EXPECT_FALSE(Start());
  EXPECT_EQ(OndalErro(),
            "Arquivo de sa\xed"
            "da n\xe3o pode ser criado");
  EXPECT_EQ(fake.closes, fake.inits.size());

  OndalArquivoSaida("");
  fake.initResult = -1;
  const int descarregas = fake.descarregas;
  EXPECT_FALSE(Start());
  EXPECT_EQ(fake.descarregas, descarregas + 1);
  fake.carregaOk = false;
  const size_t inits = fake.inits.size();
  EXPECT_FALSE(Start());
  EXPECT_EQ(fake.inits.size(), inits);
}

TEST_F(Ondal, AVoiceWithoutARegistryEntryIsLookedForInTheSuitesFolder) {
  SetMbrolaRoot((dir / "nenhuma").string());
  ASSERT_TRUE(Start());
  EXPECT_EQ(fake.inits.back(), "/winsonela/ondaltts/br4");
}

}  // namespace
}  // namespace mg
