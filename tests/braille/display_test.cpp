// The braille display against a real BRLTTY: the whole program, its window offscreen,
// shown on BRLTTY's virtual display, which the test reads back and types into. And the
// program without BRLTTY, or with a BRLTTY that has no display, or whose BRLTTY goes
// away: it starts, works as always and never hangs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "braille/dots.h"
#include "brltty_fixture.h"

namespace mg {
namespace {

using test::DescribeCells;
using test::FakeDisplay;
using test::PrivateBrltty;
using Clock = std::chrono::steady_clock;

const std::string kProgram = std::string(MG_BINARY_DIR) + "/bin/minigravador";
constexpr int kCells = 40;

// The cells a 40-cell display shows for a braille text (cp1252 braille characters).
std::vector<uint8_t> Cells(const std::string& braille) {
  std::vector<uint8_t> cells(kCells, 0);
  for (size_t i = 0; i < braille.size() && i < cells.size(); ++i) {
    cells[i] = DotsOf(static_cast<uint8_t>(braille[i]));
  }
  return cells;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The screen rows of a dump, trailing blanks removed, joined by line feeds.
std::string Rows(const std::string& dump) {
  std::istringstream in(dump);
  std::string line, rows;
  for (int i = 0; i < 25 && std::getline(in, line); ++i) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    rows += line + "\n";
  }
  return rows;
}

// A fresh folder per test under the build tree.
std::string TestDir(const std::string& name) {
  const std::string dir =
      std::string(MG_BINARY_DIR) + "/braille_test/" + name + "." + std::to_string(getpid());
  std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "/home'";
  if (std::system(cmd.c_str()) != 0) ADD_FAILURE() << "cannot make " << dir;
  return dir;
}

// The program, run in the background with its own home, a BrlAPI host and optionally
// a key script; the screen is dumped to dir/screen when it ends.
class Program {
 public:
  Program(const std::string& dir, const std::string& brlapiHost, const std::string& keys = "")
      : dir_(dir) {
    if (!keys.empty()) std::ofstream(dir + "/keys") << keys;
    pid_ = fork();
    if (pid_ == 0) {
      setenv("HOME", (dir + "/home").c_str(), 1);
      setenv("XDG_CONFIG_HOME", (dir + "/home/.config").c_str(), 1);
      setenv("SDL_VIDEODRIVER", "offscreen", 1);
      setenv("SDL_RENDER_DRIVER", "software", 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      setenv("BRLAPI_HOST", brlapiHost.c_str(), 1);
      setenv("BRLAPI_AUTH", "none", 1);
      unsetenv("WINDOWPATH");
      unsetenv("XDG_VTNR");
      setenv("MG_SCREEN_DUMP", (dir + "/screen").c_str(), 1);
      if (!keys.empty()) setenv("MG_KEY_SCRIPT", (dir + "/keys").c_str(), 1);
      const char* asan = getenv("ASAN_OPTIONS");
      setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
      if (chdir(dir.c_str()) != 0) _exit(126);
      execl(kProgram.c_str(), kProgram.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~Program() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  // Waits up to `seconds` for the end; the exit status, or -1 when it had to be killed.
  int Wait(int seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) != pid_) {
      if (Clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return -1;
      }
      usleep(20000);
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void Terminate() {
    if (pid_ > 0) kill(pid_, SIGTERM);
  }
  std::string Screen() const { return Rows(ReadFile(dir_ + "/screen")); }

 private:
  std::string dir_;
  pid_t pid_ = -1;
};

// BRLTTY and its display for one test; skips (or fails where services are required)
// when BRLTTY cannot run here.
class BrailleDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = TestDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::string why;
    if (!brltty_.Start(dir_ + "/brltty", why)) {
      if (test::ServicesRequired()) FAIL() << why;
      GTEST_SKIP() << why;
    }
  }
  void ConnectDisplay() {
    std::string why;
    ASSERT_TRUE(display_.Connect(brltty_.vr_socket(), kCells, why)) << why;
  }
  void ExpectShown(const std::string& braille, int ms = 20000) {
    std::vector<uint8_t> last;
    EXPECT_TRUE(display_.WaitFor(Cells(braille), ms, &last))
        << "want " << DescribeCells(Cells(braille)) << "\nsaw  " << DescribeCells(last);
  }

  std::string dir_;
  PrivateBrltty brltty_;
  FakeDisplay display_;
};

TEST_F(BrailleDisplay, ShowsTheCursorRowAndTypesWithTheDisplayKeys) {
  ConnectDisplay();
  Program program(dir_, brltty_.host());
  // The first answer's prompt, in braille: capital signs, "(." and the number sign.
  ExpectShown("{nome do {{cd (.#ab letras\\):");
  display_.Send("PassDots 1");  // dot 1: "a" in the line editor's row
  ExpectShown("a");
  display_.Send("PassDots 12");  // dots 3-4: "í"
  ExpectShown("a\xed");
  display_.Send("PassDots 64");  // dot 7: Backspace
  ExpectShown("a");
  display_.Send("LnUp");  // Up ends the answer like Enter
  ExpectShown("{nome do diret\xf3rio a gravar");
  display_.Send("PassDots 3");  // "b"
  ExpectShown("b");
  display_.Send("PassDots 128");  // dot 8: Enter; no such folder: asked again
  ExpectShown("{nome do diret\xf3rio a gravar");
  program.Terminate();
  EXPECT_EQ(program.Wait(10), 0);
  const std::string screen = program.Screen();
  EXPECT_NE(
      screen.find("Nome do CD (12 letras):\na\nNome do diret\xc3\xb3rio a gravar\nb\nDiret"
                  "\xc3\xb3rio n\xc3\xa3o encontrado: b\nNome do diret\xc3\xb3rio a gravar\n"),
      std::string::npos)
      << screen;
}

TEST_F(BrailleDisplay, BrlttyGoneWhileRunningLeavesTheProgramWorking) {
  ConnectDisplay();
  Program program(dir_, brltty_.host());
  ExpectShown("{nome do {{cd (.#ab letras\\):");
  brltty_.Kill();
  usleep(500000);
  // The program still services its messages: the terminate request ends it cleanly.
  program.Terminate();
  EXPECT_EQ(program.Wait(10), 0);
  EXPECT_NE(program.Screen().find("Nome do CD (12 letras)"), std::string::npos);
}

TEST_F(BrailleDisplay, ABrlttyRestartBringsTheDisplayBack) {
  ConnectDisplay();
  Program program(dir_, brltty_.host());
  ExpectShown("{nome do {{cd (.#ab letras\\):");
  std::string why;
  ASSERT_TRUE(brltty_.Restart(why)) << why;
  FakeDisplay again;
  ASSERT_TRUE(again.Connect(brltty_.vr_socket(), kCells, why)) << why;
  // The lost display is looked for again with no key and no restart of the program: a
  // dot typed on the new display comes back shown in the answer's row. Keys pressed
  // before the program is back are BRLTTY's own, so the dot is typed until it shows.
  bool shown = false;
  for (int i = 0; i < 20 && !shown; ++i) {
    again.Send("PassDots 1");
    shown = again.WaitFor(Cells("a"), 1000);
  }
  EXPECT_TRUE(shown) << DescribeCells(again.cells());
  program.Terminate();
  EXPECT_EQ(program.Wait(10), 0);
  EXPECT_NE(program.Screen().find("Nome do CD (12 letras):\na"), std::string::npos)
      << program.Screen();
}

TEST_F(BrailleDisplay, BrlttyWithoutDisplayIsNoDisplay) {
  // No display connected: BRLTTY reports no cells; the program runs as without it.
  const auto start = Clock::now();
  Program program(dir_, brltty_.host(), "text teste\nkey Return\n");
  EXPECT_EQ(program.Wait(60), 3);  // the key script ended at the next prompt
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
  const std::string screen = program.Screen();
  EXPECT_NE(screen.find("Nome do CD (12 letras):\nteste\nNome do diret\xc3\xb3rio a gravar\n"),
            std::string::npos)
      << screen;
  EXPECT_NE(screen.find("Nome do diret\xc3\xb3rio a gravar"), std::string::npos) << screen;
  EXPECT_EQ(kill(brltty_.pid(), 0), 0) << "brltty ended";
}

TEST(BrailleWithoutBrltty, ProgramStartsAndWorksAsBefore) {
  const std::string dir = TestDir("without_brltty");
  const auto start = Clock::now();
  // A host number no BRLTTY listens on.
  Program program(dir, ":31999", "text teste\nkey Return\n");
  EXPECT_EQ(program.Wait(60), 3);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
  const std::string screen = program.Screen();
  EXPECT_NE(screen.find("Nome do CD (12 letras):\nteste\nNome do diret\xc3\xb3rio a gravar\n"),
            std::string::npos)
      << screen;
  EXPECT_NE(screen.find("Nome do diret\xc3\xb3rio a gravar"), std::string::npos) << screen;
}

}  // namespace
}  // namespace mg
