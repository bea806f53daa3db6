// The MBROLA driver against a stand-in `mbrola` (fake_mbrola.cpp) found on PATH: the
// samples of a flushed utterance, and every fault a child process can have.
#include "engine/mbrola.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace mg {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class Driver : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("mg_mbrola_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "vazio");
    fs::copy_file(MG_FAKE_MBROLA, dir / "bin" / "mbrola");
    std::ofstream(dir / "voz") << "VOZFALSA";
    std::ofstream(dir / "naovoz") << "outra coisa";
    oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (dir / "bin").c_str(), 1);
    DefinePrazosMbrola(5000, 2000);
    DefineInterrupcaoMbrola({});
    setNoError_MBR(-63);
    reset_MBR();  // a new utterance: no child given up from an earlier test
    ASSERT_TRUE(CarregaMbrola());
  }
  void TearDown() override {
    DescarregaMbrola();
    DefineInterrupcaoMbrola({});
    DefinePrazosMbrola(5000, 2000);
    setenv("PATH", oldPath.c_str(), 1);
    fs::remove_all(dir);
  }
  int Start() { return init_MBR((dir / "voz").c_str()); }

  // Sends the lines (each followed by a read, as the engine does), flushes and reads to
  // the end; returns the samples, or stops at the first negative read (`falhou`).
  std::vector<int16_t> Say(const std::vector<std::string>& lines, bool* falhou = nullptr) {
    std::vector<int16_t> got;
    std::vector<int16_t> buf(64000);
    reset_MBR();
    bool bad = false;
    for (size_t i = 0; i < lines.size() && !bad; ++i) {
      if (write_MBR((lines[i] + "\r\n").c_str()) < 0) bad = true;
      if (i + 1 == lines.size()) flush_MBR();
      int n;
      while ((n = read_MBR(buf.data(), 64000)) > 0)
        got.insert(got.end(), buf.begin(), buf.begin() + n);
      if (n < 0) bad = true;
    }
    if (falhou) *falhou = bad;
    return got;
  }

  static bool Gone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }
  static bool NoChildren() { return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD; }

  fs::path dir;
  std::string oldPath;
};

TEST_F(Driver, TheProgramIsFoundOnPathOnly) {
  EXPECT_EQ(ProgramaMbrola(), (dir / "bin" / "mbrola").string());
  setenv("PATH", (dir / "vazio").c_str(), 1);
  EXPECT_FALSE(CarregaMbrola());
  EXPECT_EQ(init_MBR((dir / "voz").c_str()), -1);
  EXPECT_EQ(ProcessoMbrola(), 0);
  setenv("PATH", ((dir / "vazio").string() + ":" + (dir / "bin").string()).c_str(), 1);
  EXPECT_TRUE(CarregaMbrola());
}

TEST_F(Driver, AMissingVoiceOrOneThatIsNoVoiceFailsWithoutAChildLeft) {
  EXPECT_EQ(init_MBR((dir / "nada").c_str()), -1);
  EXPECT_EQ(ProcessoMbrola(), 0);
  EXPECT_EQ(init_MBR((dir / "naovoz").c_str()), -1);
  EXPECT_EQ(ProcessoMbrola(), 0);
  EXPECT_NE(lastErrorStr_MBR().find("Database format error"), std::string::npos)
      << lastErrorStr_MBR();
  EXPECT_EQ(init_MBR(""), -1);
  EXPECT_TRUE(NoChildren());
}

TEST_F(Driver, AFlushedUtteranceGivesEverySampleAndNoMore) {
  ASSERT_EQ(Start(), 0);
  const pid_t pid = ProcessoMbrola();
  ASSERT_GT(pid, 0);
  for (int round = 0; round < 3; ++round) {
    const auto s = Say({"; palavra", "_ 50", "a 100 50 200", "", "b 30"});
    ASSERT_EQ(s.size(), 180u * 16 - 40) << "round " << round;
    EXPECT_EQ(s[0], 1);
    EXPECT_EQ(s[50 * 16], 1);  // the second phone starts again
  }
  EXPECT_EQ(ProcessoMbrola(), pid) << "one child serves utterance after utterance";
  // Far more output than a pipe holds, written before anything is read: no stall.
  std::vector<std::string> many(300, "a 1000");
  EXPECT_EQ(Say(many).size(), 300u * 16000 - 40);
  close_MBR();
  EXPECT_TRUE(Gone(pid));
  EXPECT_TRUE(NoChildren());
}

TEST_F(Driver, ResetDiscardsWhatAnAbandonedUtteranceLeft) {
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(write_MBR("a 500\n"), 0);
  flush_MBR();
  std::vector<int16_t> buf(100);
  EXPECT_EQ(read_MBR(buf.data(), 100), 100);  // read in part, then given up
  EXPECT_EQ(Say({"b 10"}).size(), 120u);
}

TEST_F(Driver, AChildKilledMidUtteranceIsReapedAndTheNextUtteranceSpeaks) {
  ASSERT_EQ(Start(), 0);
  const pid_t pid = ProcessoMbrola();
  reset_MBR();
  ASSERT_EQ(write_MBR("a 100\n"), 0);
  kill(pid, SIGKILL);
  flush_MBR();
  std::vector<int16_t> buf(64000);
  int n;
  const auto t0 = Clock::now();
  while ((n = read_MBR(buf.data(), 64000)) > 0) {
  }
  EXPECT_EQ(n, -1);
  EXPECT_LT(Clock::now() - t0, std::chrono::seconds(1));
  EXPECT_TRUE(Gone(pid)) << "reaped, no zombie";
  EXPECT_EQ(write_MBR("a 1\n"), -1);
  EXPECT_EQ(Say({"a 20"}).size(), 280u) << "reset started a new child on the same voice";
  EXPECT_NE(ProcessoMbrola(), pid);
}

TEST_F(Driver, ALineMbrolaRejectsEndsTheChildAndTheNextUtteranceSpeaks) {
  ASSERT_EQ(Start(), 0);
  bool falhou = false;
  Say({"a 10", "a xyz", "b 10"}, &falhou);
  EXPECT_TRUE(falhou);
  EXPECT_NE(lastErrorStr_MBR().find("Fatal error"), std::string::npos) << lastErrorStr_MBR();
  EXPECT_EQ(Say({"a 10"}, &falhou).size(), 120u);
  EXPECT_FALSE(falhou);
}

TEST_F(Driver, UnknownDiphonesAreSilentOrAnErrorAsAsked) {
  ASSERT_EQ(Start(), 0);
  bool falhou = false;
  EXPECT_EQ(Say({"a 10", "xx 40", "b 10"}, &falhou).size(), 60u * 16 - 40)
      << "silence in its place";
  EXPECT_FALSE(falhou);
  EXPECT_EQ(DifonesDesconhecidosMbrola(), 1);
  setNoError_MBR(0);
  Say({"a 10", "xx 40"}, &falhou);
  EXPECT_TRUE(falhou);
}

TEST_F(Driver, AChildThatStopsAnsweringMeetsTheDeadlineAndAKeyEndsTheWaitAtOnce) {
  DefinePrazosMbrola(5000, 300);
  ASSERT_EQ(Start(), 0);
  pid_t pid = ProcessoMbrola();
  bool falhou = false;
  auto t0 = Clock::now();
  Say({"a 10", "dorme 10"}, &falhou);
  EXPECT_TRUE(falhou);
  EXPECT_LT(Clock::now() - t0, std::chrono::seconds(2));
  EXPECT_TRUE(Gone(pid)) << "the stuck child is killed and reaped";

  // A key while the child hangs: the wait ends within a poll period.
  EXPECT_EQ(Say({"a 10"}).size(), 120u);
  pid = ProcessoMbrola();
  bool key = false;
  DefineInterrupcaoMbrola([&] { return key; });
  ASSERT_EQ(write_MBR("dorme 1\n"), 0);
  flush_MBR();
  key = true;
  std::vector<int16_t> buf(100);
  t0 = Clock::now();
  EXPECT_EQ(read_MBR(buf.data(), 100), 0);
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(100));
  key = false;
  // The next utterance replaces the child that still hangs.
  EXPECT_EQ(Say({"b 10"}).size(), 120u);
  EXPECT_TRUE(Gone(pid));
  close_MBR();
  EXPECT_TRUE(NoChildren());
}

TEST_F(Driver, TheEndOfAnUtteranceIsKnownFromTheSamplesWhateverMbrolaSays) {
  DefinePrazosMbrola(5000, 3000);
  std::ofstream(dir / "voz") << "VOZFALSA muda";
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(TaxaMbrola(), 16000);
  const pid_t pid = ProcessoMbrola();
  bool falhou = false;
  auto t0 = Clock::now();
  EXPECT_EQ(Say({"a 100", "xx 50", "b 18 50 100"}, &falhou).size(), 168u * 16 - 40);
  EXPECT_FALSE(falhou);
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(500)) << "no wait for a deadline";

  // An mbrola whose output runs shorter than the durations: taken as all of it once it
  // falls silent, without an error or a new child.
  DefinePrazosMbrola(5000, 300);
  std::ofstream(dir / "voz") << "VOZFALSA curta";
  close_MBR();
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(Say({"a 1000"}, &falhou).size(), 16000u * 9 / 10);
  EXPECT_FALSE(falhou);
  EXPECT_NE(pid, ProcessoMbrola());
  const pid_t curta = ProcessoMbrola();
  EXPECT_EQ(Say({"a 100"}, &falhou).size(), 1600u * 9 / 10);
  EXPECT_EQ(ProcessoMbrola(), curta);
}

TEST_F(Driver, AChildThatNeverAnswersIsGivenUpOncePerUtteranceAndAKeyEndsItsWait) {
  ASSERT_EQ(Start(), 0);
  DefinePrazosMbrola(400, 300);
  std::ofstream(dir / "voz") << "VOZFALSA surda";
  kill(ProcessoMbrola(), SIGKILL);
  usleep(100000);  // gone before the next utterance looks
  // The engine's way: every failed line closes MBROLA and starts it again.
  const auto utterance = [&](int lines) {
    reset_MBR();
    for (int i = 0; i < lines; ++i) {
      if (write_MBR("a 10\r\n") < 0) {
        close_MBR();
        init_MBR((dir / "voz").c_str());
      }
    }
  };
  auto t0 = Clock::now();
  utterance(10);
  const auto took = Clock::now() - t0;
  EXPECT_GE(took, std::chrono::milliseconds(400)) << "the new child was waited for";
  // Once per line would be 4 s; the bounds leave room for a loaded machine.
  EXPECT_LT(took, std::chrono::milliseconds(2500)) << "but once, not once per line";
  t0 = Clock::now();
  utterance(10);
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(2500)) << "and once more per utterance";
  EXPECT_EQ(ProcessoMbrola(), 0);

  DefinePrazosMbrola(5000, 300);
  bool key = true;
  DefineInterrupcaoMbrola([&] { return key; });
  t0 = Clock::now();
  utterance(10);
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(1500))
      << "a key ends the wait (5 s a line)";
  EXPECT_TRUE(NoChildren());
}

}  // namespace
}  // namespace mg
