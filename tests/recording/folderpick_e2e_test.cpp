// Choosing the folder by ear in the real program: keys from a script as real window
// events, the screen read from its dumps, the burn into an image file read back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

#include "testutil.h"

namespace mg {
namespace {

using test::TempDir;

const std::string kProgram = std::string(MG_BINARY_DIR) + "/bin/minigravador";
const std::string kShippedIni = std::string(MG_BINARY_DIR) + "/etc/Sonela.ini";

// One user (home, configuration folder, image file) for several runs of the program.
class User {
 public:
  User() {
    test::MakeDir(home());
    test::MakeDir(tmp_ / "config");
    test::MakeDir(tmp_ / "config/Sonela");
    std::ifstream in(kShippedIni);
    std::ostringstream ini;
    for (std::string line; std::getline(in, line);) {
      ini << (line.rfind("IMAGEM=", 0) == 0 ? "IMAGEM=" + image() : line) << "\n";
    }
    test::WriteFile(tmp_ / "config/Sonela/Sonela.ini", ini.str());
  }
  std::string home() const { return tmp_ / "home"; }
  std::string image() const { return tmp_ / "disco.iso"; }

  // Runs the program with `keys` as its key script; returns every screen dump (the
  // script's and the last one), each as its 25 rows without trailing blanks. With
  // `display`, the window opens on that X display, and `atFirstDump` is called with the
  // program's process id once the first dump has arrived.
  std::vector<std::vector<std::string>> Run(const std::string& keys, int& status,
                                            const std::string& display = "",
                                            const std::function<void(pid_t)>& atFirstDump = {}) {
    test::WriteFile(tmp_ / "keys", keys);
    const std::string fifo = tmp_ / "screen";
    unlink(fifo.c_str());
    std::vector<std::vector<std::string>> dumps;
    status = -1;
    if (mkfifo(fifo.c_str(), 0600) != 0) return dumps;
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const pid_t pid = fork();
    if (pid == 0) {
      setenv("HOME", home().c_str(), 1);
      setenv("XDG_CONFIG_HOME", (tmp_ / "config").c_str(), 1);
      setenv("SDL_VIDEODRIVER", display.empty() ? "offscreen" : "x11", 1);
      if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
      setenv("SDL_RENDER_DRIVER", "software", 1);
      setenv("SDL_AUDIODRIVER", "disk", 1);
      setenv("SDL_DISKAUDIOFILE", (tmp_ / "audio.raw").c_str(), 1);
      setenv("MG_KEY_SCRIPT", (tmp_ / "keys").c_str(), 1);
      setenv("MG_SCREEN_DUMP", fifo.c_str(), 1);
      const char* asan = getenv("ASAN_OPTIONS");
      setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
      // Started elsewhere than home, as from a desktop menu or a terminal.
      if (chdir(tmp_.path().c_str()) != 0) _exit(126);
      execl(kProgram.c_str(), kProgram.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    std::string pending;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(4);
    int raw = 0;
    for (bool exited = false; !exited;) {
      pollfd p{reader, POLLIN, 0};
      poll(&p, 1, 20);
      char buf[8192];
      for (ssize_t n; (n = read(reader, buf, sizeof buf)) > 0;) pending.append(buf, n);
      // A dump ends with its "cursor <column> <row>" line.
      for (size_t at; (at = pending.find("\ncursor ")) != std::string::npos;) {
        const size_t end = pending.find('\n', at + 1);
        if (end == std::string::npos) break;
        dumps.push_back(Rows(pending.substr(0, end + 1)));
        pending.erase(0, end + 1);
        if (dumps.size() == 1 && atFirstDump) atFirstDump(pid);
      }
      exited = waitpid(pid, &raw, WNOHANG) == pid;
      if (!exited && std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &raw, 0);
        ADD_FAILURE() << "the program did not end in time";
        break;
      }
    }
    close(reader);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return dumps;
  }

 private:
  static std::vector<std::string> Rows(const std::string& dump) {
    std::vector<std::string> rows;
    std::istringstream in(dump);
    std::string line;
    for (int i = 0; i < 25 && std::getline(in, line); ++i) {
      while (!line.empty() && line.back() == ' ') line.pop_back();
      rows.push_back(line);
    }
    return rows;
  }
  TempDir tmp_;
};

// The field and the row under it, at the last directory prompt of a screen.
struct FieldRows {
  std::string field, below;
};
FieldRows AtPrompt(const std::vector<std::string>& rows) {
  FieldRows f;
  for (size_t r = 0; r + 2 < rows.size(); ++r) {
    if (rows[r] == "Nome do diret\xc3\xb3rio a gravar") f = {rows[r + 1], rows[r + 2]};
  }
  return f;
}

std::string Screen(const std::vector<std::string>& rows) {
  std::string s;
  for (const std::string& r : rows) s += r + "\n";
  return s;
}

bool Shows(const std::vector<std::string>& rows, const std::string& start) {
  for (const std::string& r : rows)
    if (r.rfind(start, 0) == 0) return true;
  return false;
}

// The image holds exactly `folder`.
void ExpectImageOf(const std::string& image, const std::string& folder) {
  TempDir out;
  ASSERT_TRUE(test::ExtractImage(image, out / "rr", false));
  EXPECT_EQ(test::CompareTrees(folder, out / "rr"), "");
}

class ChoosingByEar : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
    const std::string docs = user_.home() + "/Documentos";
    test::MakeDir(docs);
    test::MakeDir(docs + "/Fotos da festa");
    test::WriteFile(docs + "/Fotos da festa/bolo.jpg", test::PatternBytes(200000, 3));
    test::WriteFile(docs + "/Fotos da festa/vela.jpg", test::PatternBytes(50000, 4));
    test::MakeDir(docs + "/Faturas");
    test::WriteFile(docs + "/Faturas/luz.pdf", test::PatternBytes(3000, 5));
    test::MakeDir(user_.home() + "/M\xc3\xbasica");
    test::WriteFile(user_.home() + "/M\xc3\xbasica/samba.mp3", test::PatternBytes(4000, 6));
  }
  User user_;
};

TEST_F(ChoosingByEar, BrowseCompleteBurnThenTheEmptyAnswerOffersTheFolderAgain) {
  const std::string keys =
      "key Escape\n"  // no disc name
      "key Down\ndump\n"
      "key Down\ndump\n"
      "key Y ctrl\n"  // blank the field
      "text Doc\nkey Tab\ndump\n"
      "text F\nkey Tab\ndump\n"
      "text o\nkey Tab\ndump\n"
      "key Return\n"
      "key Return\n";  // "Insira o CD"
  int status = 0;
  const auto dumps = user_.Run(keys, status);
  ASSERT_EQ(status, 0);
  ASSERT_EQ(dumps.size(), 6u);
  EXPECT_EQ(dumps[0][0], "Mini Gravador de CD");
  EXPECT_EQ(AtPrompt(dumps[0]).field, "Documentos") << Screen(dumps[0]);
  EXPECT_EQ(AtPrompt(dumps[0]).below, "Documentos, 2 pastas");
  EXPECT_EQ(AtPrompt(dumps[1]).field, "M\xc3\xbasica");
  EXPECT_EQ(AtPrompt(dumps[1]).below, "M\xc3\xbasica, 1 arquivo");
  EXPECT_EQ(AtPrompt(dumps[2]).field, "Documentos/") << Screen(dumps[2]);
  EXPECT_EQ(AtPrompt(dumps[3]).field, "Documentos/F");
  EXPECT_EQ(AtPrompt(dumps[3]).below, "2 pastas: Faturas, Fotos da festa");
  EXPECT_EQ(AtPrompt(dumps[4]).field, "Documentos/Fotos da festa/");
  EXPECT_EQ(AtPrompt(dumps[4]).below, "Fotos da festa");
  const std::vector<std::string>& end = dumps.back();
  // The row under the field was cleared before the count was written on it.
  EXPECT_TRUE(Shows(end, "2 arquivos, 0 diret\xc3\xb3rios")) << Screen(end);
  EXPECT_TRUE(Shows(end, "1 megabyte; cabe em um CD")) << Screen(end);
  EXPECT_TRUE(Shows(end, "Grava\xc3\xa7\xc3\xa3o terminada")) << Screen(end);
  ExpectImageOf(user_.image(), user_.home() + "/Documentos/Fotos da festa");

  // Again, answering nothing: the folder just recorded is offered.
  unlink(user_.image().c_str());
  const auto again = user_.Run("key Escape\nkey Return\ntext s\nkey Return\n", status);
  ASSERT_EQ(status, 0);
  ASSERT_FALSE(again.empty());
  EXPECT_TRUE(
      Shows(again.back(), "\xc3\x9altimo diret\xc3\xb3rio: Documentos/Fotos da festa. Gravar? S/N"))
      << Screen(again.back());
  EXPECT_TRUE(Shows(again.back(), "Grava\xc3\xa7\xc3\xa3o terminada"));
  ExpectImageOf(user_.image(), user_.home() + "/Documentos/Fotos da festa");
}

TEST_F(ChoosingByEar, AccentsAreCompletedAndAMisspeltFolderIsAskedAgain) {
  const std::string keys =
      "key Escape\n"
      "text musica\nkey Tab\ndump\n"
      "key Y ctrl\n"
      "text Documentos/Faturass\nkey Return\ndump\n"
      "key Backspace\nkey Return\n"
      "key Return\n";
  int status = 0;
  const auto dumps = user_.Run(keys, status);
  ASSERT_EQ(status, 0);
  ASSERT_EQ(dumps.size(), 3u);
  EXPECT_EQ(AtPrompt(dumps[0]).field, "M\xc3\xbasica/") << Screen(dumps[0]);
  // Said, and asked again with the answer in the field to be mended.
  EXPECT_TRUE(Shows(dumps[1], "Diret\xc3\xb3rio n\xc3\xa3o encontrado: Documentos/Faturass"))
      << Screen(dumps[1]);
  EXPECT_EQ(AtPrompt(dumps[1]).field, "Documentos/Faturass");
  EXPECT_TRUE(Shows(dumps.back(), "1 arquivos, 0 diret\xc3\xb3rios")) << Screen(dumps.back());
  ExpectImageOf(user_.image(), user_.home() + "/Documentos/Faturas");
}

// An X server of the test's own, so that the window's title can be read as a desktop's
// window list reads it.
class XServer {
 public:
  XServer() {
    if (test::Run("command -v Xvfb >/dev/null && command -v xdotool >/dev/null") != 0) return;
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
             "1024x768x24", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 10000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~XServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& display() const { return display_; }
  // The title of the program's visible window, "" when none is found within 10 s.
  std::string TitleOf(pid_t program) const {
    const std::string env = "DISPLAY=" + display_ + " ";
    const std::string cmd = env + "xdotool getwindowname $(" + env +
                            "timeout 10 xdotool search --sync --onlyvisible --pid " +
                            std::to_string(program) + " 2>/dev/null | head -n 1) 2>/dev/null";
    std::string out;
    if (FILE* f = popen(cmd.c_str(), "r")) {
      char buf[256];
      while (fgets(buf, sizeof buf, f)) out += buf;
      pclose(f);
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

TEST_F(ChoosingByEar, TheWindowIsTitledWithTheProgramsNameAndEscapeAtTheFolderEnds) {
  XServer x;
  if (x.display().empty()) GTEST_SKIP() << "Xvfb or xdotool missing";
  std::string title;
  int status = -1;
  const auto dumps = user_.Run("dump\nkey Escape\ntext Doc\nkey Escape\n", status, x.display(),
                               [&](pid_t pid) { title = x.TitleOf(pid); });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(title, "Mini Gravador de CD");
  ASSERT_FALSE(dumps.empty());
  EXPECT_FALSE(Shows(dumps.back(), "Erro")) << Screen(dumps.back());
  EXPECT_FALSE(test::FileExistsForTest(user_.image()));
}

}  // namespace
}  // namespace mg
