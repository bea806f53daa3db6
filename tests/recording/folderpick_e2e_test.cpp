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
#include <fstream>
#include <sstream>

#include "testutil.h"

namespace mg {
namespace {

using Rows = std::vector<std::string>;
const std::string kProgram = std::string(MG_BINARY_DIR) + "/bin/minigravador";

// One user (home with Documentos/Fotos da festa, Documentos/Faturas and Música; a
// configuration folder; an image file) for several runs of the program.
class ChoosingByEar : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
    for (const char* d :
         {"home", "home/Documentos", "home/Documentos/Fotos da festa", "home/Documentos/Faturas",
          "home/M\xc3\xbasica", "config", "config/Sonela"}) {
      test::MakeDir(tmp_ / d);
    }
    test::WriteFile(tmp_ / "home/Documentos/Fotos da festa/bolo.jpg",
                    test::PatternBytes(200000, 3));
    test::WriteFile(tmp_ / "home/Documentos/Faturas/luz.pdf", test::PatternBytes(3000, 5));
    test::WriteFile(tmp_ / "home/M\xc3\xbasica/samba.mp3", test::PatternBytes(4000, 6));
    std::ifstream in(std::string(MG_BINARY_DIR) + "/etc/Sonela.ini");
    std::ostringstream ini;
    for (std::string line; std::getline(in, line);)
      ini << (line.rfind("IMAGEM=", 0) == 0 ? "IMAGEM=" + Image() : line) << "\n";
    test::WriteFile(tmp_ / "config/Sonela/Sonela.ini", ini.str());
  }
  std::string Image() const { return tmp_ / "disco.iso"; }
  std::string Env() const {
    return "HOME='" + tmp_ / "home" + "' XDG_CONFIG_HOME='" + tmp_ / "config" +
           "' SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + tmp_ / "audio.raw" + "' MG_KEY_SCRIPT='" +
           tmp_ / "keys" + "' ";
  }

  // Runs the program (from a folder that is not home) with `keys` as its key script;
  // returns every screen dump, the script's and the last one.
  std::vector<Rows> Run(const std::string& keys) {
    test::WriteFile(tmp_ / "keys", keys);
    const std::string fifo = tmp_ / "screen";
    unlink(fifo.c_str());
    EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const pid_t pid = fork();
    if (pid == 0) {
      const std::string cmd = "cd '" + tmp_.path() + "' && " + Env() +
                              "SDL_VIDEODRIVER=offscreen SDL_RENDER_DRIVER=software "
                              "ASAN_OPTIONS=detect_leaks=0 MG_SCREEN_DUMP='" +
                              fifo + "' exec '" + kProgram + "'";
      execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    std::vector<Rows> dumps;
    std::string pending;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(4);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "the program did not end in time";
        break;
      }
      pollfd p{reader, POLLIN, 0};
      poll(&p, 1, 20);
      char buf[8192];
      for (ssize_t n; (n = read(reader, buf, sizeof buf)) > 0;) pending.append(buf, n);
      // A dump is 25 rows, the attributes and a last line "cursor <column> <row>".
      for (size_t at, end; (at = pending.find("\ncursor ")) != std::string::npos &&
                           (end = pending.find('\n', at + 1)) != std::string::npos;) {
        std::istringstream rows(pending.substr(0, end + 1));
        dumps.emplace_back();
        for (std::string r; dumps.back().size() < 25 && std::getline(rows, r);)
          dumps.back().push_back(r.substr(0, r.find_last_not_of(' ') + 1));
        pending.erase(0, end + 1);
      }
    }
    close(reader);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    return dumps;
  }
  test::TempDir tmp_;
};

// The field and the row under it, at the last directory prompt of a screen.
std::pair<std::string, std::string> Field(const Rows& rows) {
  std::pair<std::string, std::string> f;
  for (size_t r = 0; r + 2 < rows.size(); ++r)
    if (rows[r] == "Nome do diret\xc3\xb3rio a gravar") f = {rows[r + 1], rows[r + 2]};
  return f;
}

::testing::AssertionResult Shows(const Rows& rows, const std::string& start) {
  std::string screen;
  for (const std::string& r : rows) {
    if (r.rfind(start, 0) == 0) return ::testing::AssertionSuccess();
    screen += r + "\n";
  }
  return ::testing::AssertionFailure() << "no row \"" << start << "\" in\n" << screen;
}

void ExpectImageOf(const std::string& image, const std::string& folder) {
  test::TempDir out;
  ASSERT_TRUE(test::ExtractImage(image, out / "rr", false));
  EXPECT_EQ(test::CompareTrees(folder, out / "rr"), "");
}

using FieldRows = std::pair<std::string, std::string>;

TEST_F(ChoosingByEar, BrowseCompleteBurnThenTheEmptyAnswerOffersTheFolderAgain) {
  const auto d =
      Run("key Escape\n"  // no disc name
          "key Down\ndump\nkey Down\ndump\n"
          "key Y ctrl\n"  // blank the field
          "text Doc\nkey Tab\ndump\ntext F\nkey Tab\ndump\ntext o\nkey Tab\ndump\n"
          "key Return\nkey Return\n");  // the answer, then "Insira o CD"
  ASSERT_EQ(d.size(), 6u);
  EXPECT_EQ(d[0][0], "Mini Gravador de CD");
  EXPECT_EQ(Field(d[0]), FieldRows("Documentos", "Documentos, 2 pastas"));
  EXPECT_EQ(Field(d[1]), FieldRows("M\xc3\xbasica", "M\xc3\xbasica, 1 arquivo"));
  EXPECT_EQ(Field(d[2]).first, "Documentos/");
  EXPECT_EQ(Field(d[3]), FieldRows("Documentos/F", "2 pastas: Faturas, Fotos da festa"));
  EXPECT_EQ(Field(d[4]), FieldRows("Documentos/Fotos da festa/", "Fotos da festa"));
  // The row under the field was cleared before the count was written on it.
  EXPECT_TRUE(Shows(d[5], "1 arquivos, 0 diret\xc3\xb3rios"));
  EXPECT_TRUE(Shows(d[5], "1 megabyte; cabe em um CD"));
  EXPECT_TRUE(Shows(d[5], "Grava\xc3\xa7\xc3\xa3o terminada"));
  ExpectImageOf(Image(), tmp_ / "home/Documentos/Fotos da festa");

  // Again, answering nothing: the folder just recorded is offered.
  unlink(Image().c_str());
  const auto again = Run("key Escape\nkey Return\ntext s\nkey Return\n");
  ASSERT_FALSE(again.empty());
  EXPECT_TRUE(Shows(again.back(),
                    "\xc3\x9altimo diret\xc3\xb3rio: Documentos/Fotos da festa. Gravar? S/N"));
  ExpectImageOf(Image(), tmp_ / "home/Documentos/Fotos da festa");
}

TEST_F(ChoosingByEar, AccentsAreCompletedAndAMisspeltFolderIsAskedAgain) {
  const auto d =
      Run("key Escape\ntext musica\nkey Tab\ndump\n"
          "key Y ctrl\ntext Documentos/Faturass\nkey Return\ndump\n"
          "key Backspace\nkey Return\nkey Return\n");
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(Field(d[0]).first, "M\xc3\xbasica/");
  // Said, and asked again with the answer in the field to be mended.
  EXPECT_TRUE(Shows(d[1], "Diret\xc3\xb3rio n\xc3\xa3o encontrado: Documentos/Faturass"));
  EXPECT_EQ(Field(d[1]).first, "Documentos/Faturass");
  ExpectImageOf(Image(), tmp_ / "home/Documentos/Faturas");
}

// The title a desktop's window list shows, read from a real X window; Escape at the
// folder question ends the run.
TEST_F(ChoosingByEar, TheWindowIsTitledWithTheProgramsName) {
  if (test::Run("command -v xvfb-run >/dev/null && command -v xdotool >/dev/null") != 0)
    GTEST_SKIP() << "xvfb-run or xdotool missing";
  test::WriteFile(tmp_ / "keys", "wait 3000\nkey Escape\ntext Doc\nkey Escape\n");
  const std::string title = tmp_ / "title";
  ASSERT_EQ(test::Run("xvfb-run -a sh -c \"" + Env() + "SDL_VIDEODRIVER=x11 '" + kProgram +
                      "' 2>/dev/null & p=\\$!; w=\\$(timeout 20 xdotool search --sync "
                      "--onlyvisible --pid \\$p | head -n 1); xdotool getwindowname \\$w >'" +
                      title + "'; wait \\$p\""),
            0);
  EXPECT_EQ(test::ReadFile(title), "Mini Gravador de CD\n");
  EXPECT_FALSE(test::FileExistsForTest(Image()));
}

}  // namespace
}  // namespace mg
