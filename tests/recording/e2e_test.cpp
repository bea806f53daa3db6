// The whole program, typed into through its real window (offscreen SDL, keys from a
// script), sound to SDL's disk driver, writing to an image file: the image must hold
// exactly the directory, the screen must show every prompt in order, and sound must
// have been played for each spoken prompt.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "testutil.h"

namespace mg {
namespace {

using test::TempDir;

const std::string kProgram = std::string(MG_BINARY_DIR) + "/bin/minigravador";
const std::string kShippedIni = std::string(MG_BINARY_DIR) + "/etc/Sonela.ini";

struct RunResult {
  int status = -1;                 // exit status, -1 when killed or crashed
  std::vector<std::string> dumps;  // screen dumps in the order they were written
  std::vector<off_t> audioAt;      // size of the audio file when each dump arrived
  std::string audio;               // everything played
};

// A fresh user: home, Sonela.ini (the shipped one with IMAGEM set, or removed when
// `image` is empty) and the key script.
class Program {
 public:
  Program(const std::string& image, const std::string& keys) {
    test::MakeDir(tmp_ / "home");
    test::MakeDir(tmp_ / "config");
    test::MakeDir(tmp_ / "config/Sonela");
    std::ifstream in(kShippedIni);
    std::ostringstream ini;
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("IMAGEM=", 0) == 0) {
        if (!image.empty()) ini << "IMAGEM=" << image << "\r\n";
      } else {
        ini << line << "\n";
      }
    }
    test::WriteFile(tmp_ / "config/Sonela/Sonela.ini", ini.str());
    test::WriteFile(tmp_ / "keys", keys);
  }

  // Runs the program to its end (at most `seconds`), collecting each screen dump as it
  // is written (the dump file is a FIFO) with the amount of sound played by then.
  RunResult Run(int seconds = 240) {
    RunResult result;
    const std::string fifo = tmp_ / "screen";
    const std::string audio = tmp_ / "audio.raw";
    if (mkfifo(fifo.c_str(), 0600) != 0) return result;
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const pid_t pid = fork();
    if (pid == 0) {
      setenv("HOME", (tmp_ / "home").c_str(), 1);
      setenv("XDG_CONFIG_HOME", (tmp_ / "config").c_str(), 1);
      setenv("SDL_VIDEODRIVER", "offscreen", 1);
      setenv("SDL_RENDER_DRIVER", "software", 1);
      setenv("SDL_AUDIODRIVER", "disk", 1);
      setenv("SDL_DISKAUDIOFILE", audio.c_str(), 1);
      setenv("MG_KEY_SCRIPT", (tmp_ / "keys").c_str(), 1);
      setenv("MG_SCREEN_DUMP", fifo.c_str(), 1);
      // In a sanitizer build: what the window and font libraries still hold when the
      // program exits is no leak of ours.
      const char* asan = getenv("ASAN_OPTIONS");
      setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
      if (chdir(tmp_.path().c_str()) != 0) _exit(126);
      execl(kProgram.c_str(), kProgram.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    std::string pending;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    bool exited = false;
    while (!exited) {
      pollfd p{reader, POLLIN, 0};
      poll(&p, 1, 20);
      char buf[8192];
      ssize_t n;
      while ((n = read(reader, buf, sizeof buf)) > 0) pending.append(buf, static_cast<size_t>(n));
      // A dump ends with its "cursor <column> <row>" line.
      for (size_t end; (end = DumpEnd(pending)) != std::string::npos;) {
        struct stat st {};
        result.audioAt.push_back(stat(audio.c_str(), &st) == 0 ? st.st_size : 0);
        result.dumps.push_back(pending.substr(0, end));
        pending.erase(0, end);
      }
      if (waitpid(pid, &status, WNOHANG) == pid) exited = true;
      if (!exited && std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "the program did not end within " << seconds << " s";
        break;
      }
    }
    close(reader);
    result.status = exited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.audio = test::ReadFile(audio);
    return result;
  }

  const TempDir& tmp() const { return tmp_; }

 private:
  static size_t DumpEnd(const std::string& s) {
    size_t pos = s.find("\ncursor ");
    if (pos == std::string::npos) return std::string::npos;
    const size_t nl = s.find('\n', pos + 1);
    return nl == std::string::npos ? std::string::npos : nl + 1;
  }
  TempDir tmp_;
};

// The screen rows of a dump, trailing blanks removed.
std::vector<std::string> Rows(const std::string& dump) {
  std::vector<std::string> rows;
  std::istringstream in(dump);
  std::string line;
  for (int i = 0; i < 25 && std::getline(in, line); ++i) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    rows.push_back(line);
  }
  return rows;
}

// Each of `lines` appears on a row of its own (as the row's start), in this order.
std::string CheckOrder(const std::vector<std::string>& rows,
                       const std::vector<std::string>& lines) {
  size_t r = 0;
  for (const std::string& want : lines) {
    while (r < rows.size() && rows[r].rfind(want, 0) != 0) ++r;
    if (r == rows.size()) {
      std::string screen;
      for (const auto& row : rows) screen += row + "\n";
      return "missing or out of order: \"" + want + "\"\n" + screen;
    }
    ++r;
  }
  return "";
}

// Whether a stretch of the disk driver's output holds sound rather than silence:
// silence is one constant sample value whatever the sample format.
bool HoldsSound(const std::string& audio, off_t from, off_t to) {
  if (from < 0 || to > static_cast<off_t>(audio.size()) || to <= from) return false;
  std::map<unsigned char, size_t> counts;
  for (off_t i = from; i < to; ++i) ++counts[static_cast<unsigned char>(audio[i])];
  size_t mode = 0;
  for (auto& c : counts) mode = std::max(mode, c.second);
  return static_cast<size_t>(to - from) - mode > 4000;
}

std::string MakeSource(const TempDir& tmp) {
  const std::string src = tmp / "Documentos";
  test::MakeDir(src);
  test::WriteFile(src + "/carta.txt", "Prezado senhor,\n");
  test::WriteFile(src + "/foto.jpg", test::PatternBytes(300000, 11));
  test::WriteFile(src + "/.oculto", "n\xc3\xa3o gravar");
  test::MakeDir(src + "/M\xc3\xbasicas");
  test::WriteFile(src + "/M\xc3\xbasicas/can\xc3\xa7\xc3\xa3o.mp3", test::PatternBytes(90000, 12));
  return src;
}

TEST(RecordingProgram, BurnsTheDirectoryIntoTheImageFile) {
  if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
  TempDir data;
  const std::string src = MakeSource(data);
  const std::string image = data / "disco.iso";
  // Each answer waits until its prompt has been said (a key would cut the speech
  // short), and each `dump` marks how much sound had been played by then.
  const std::string keys =
      "wait 6000\n"
      "dump\n"  // 1: banner and disc name prompt said
      "text MEUDISCO\n"
      "wait 3000\n"
      "dump\n"  // 2: the letters echoed
      "key Return\n"
      "wait 5000\n"
      "dump\n"  // 3: directory prompt said
      "text " +
      src +
      "\n"
      "wait 4000\n"
      "dump\n"  // 4: echoed
      "key Return\n"
      "wait 8000\n"
      "dump\n"         // 5: the count and the insert prompt said
      "key Return\n";  // then: no question (one recorder), the burn, the end
  Program program(image, keys);
  RunResult run = program.Run();
  ASSERT_EQ(run.status, 0);
  ASSERT_EQ(run.dumps.size(), 6u);  // five from the script, one at the end

  const std::vector<std::string> rows = Rows(run.dumps.back());
  EXPECT_EQ(
      CheckOrder(rows, {"Mini Gravador de CD para Windows 7", "Nome do CD (12 letras):", "MEUDISCO",
                        "Nome do diret\xc3\xb3rio a gravar", src, "2 arquivos, 1 diret\xc3\xb3rios",
                        "Insira o CD e aperte Enter quando pronto", "0 ARQUIVO " + image,
                        "Preparando a grava\xc3\xa7\xc3\xa3o, aguarde",
                        "Grava\xc3\xa7\xc3\xa3o iniciada", "Grava\xc3\xa7\xc3\xa3o terminada"}),
      "");
  for (const std::string& row : rows)
    EXPECT_EQ(row.find("Gravador a usar"), std::string::npos) << row;

  // Sound for each spoken stretch: banner and first prompt, the directory prompt, the
  // count and the insert prompt, and the three burn messages at the end.
  const std::vector<off_t>& at = run.audioAt;
  ASSERT_FALSE(HoldsSound(std::string(200000, '\x80'), 0, 200000));  // the detector itself
  EXPECT_TRUE(HoldsSound(run.audio, 0, at[0])) << "banner and disc name prompt";
  EXPECT_TRUE(HoldsSound(run.audio, at[1], at[2])) << "directory prompt";
  EXPECT_TRUE(HoldsSound(run.audio, at[3], at[4])) << "count and insert prompt";
  EXPECT_TRUE(HoldsSound(run.audio, at[4], at[5])) << "burn messages";

  TempDir out;
  ASSERT_TRUE(test::ExtractImage(image, out / "rr", false));
  test::Run("rm -f '" + src + "/.oculto'");
  EXPECT_EQ(test::CompareTrees(src, out / "rr"), "");
  EXPECT_NE(test::VolumeInfo(image).find("Volume Id    : MEUDISCO"), std::string::npos);
}

TEST(RecordingProgram, DirectoryThatCannotBeEnteredEndsTheRun) {
  if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
  TempDir data;
  const std::string image = data / "nunca.iso";
  Program program(
      image, "wait 3000\nkey Escape\nwait 3000\ntext " + data / "nao_existe" + "\nkey Return\n");
  RunResult run = program.Run();
  ASSERT_EQ(run.status, 0);
  ASSERT_FALSE(run.dumps.empty());
  EXPECT_EQ(CheckOrder(Rows(run.dumps.back()),
                       {"Nome do diret\xc3\xb3rio a gravar", "Erro no diret\xc3\xb3rio"}),
            "");
  for (const std::string& row : Rows(run.dumps.back())) {
    EXPECT_EQ(row.find("Insira o CD"), std::string::npos);
  }
  EXPECT_FALSE(test::FileExistsForTest(image));
}

TEST(RecordingProgram, NoRecorderEndsTheRun) {
  if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
  TempDir data;
  const std::string src = MakeSource(data);
  Program program("", "wait 3000\nkey Escape\nwait 3000\ntext " + src +
                          "\nkey Return\nwait 4000\nkey Return\n");
  RunResult run = program.Run();
  ASSERT_EQ(run.status, 0);
  ASSERT_FALSE(run.dumps.empty());
  EXPECT_EQ(
      CheckOrder(Rows(run.dumps.back()), {"Insira o CD e aperte Enter quando pronto",
                                          "N\xc3\xa3o h\xc3\xa1 gravadores de CD instalados"}),
      "");
}

TEST(RecordingProgram, ImageFileInAMissingFolderEndsWithAnErrorReport) {
  if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
  TempDir data;
  const std::string src = MakeSource(data);
  Program program(data / "nao_existe/disco.iso", "wait 3000\nkey Escape\nwait 3000\ntext " + src +
                                                     "\nkey Return\nwait 4000\nkey Return\n");
  RunResult run = program.Run();
  ASSERT_EQ(run.status, 0);
  ASSERT_FALSE(run.dumps.empty());
  EXPECT_EQ(CheckOrder(Rows(run.dumps.back()),
                       {"Insira o CD e aperte Enter quando pronto", "0 n\xc3\xa3o pode gravar",
                        "Erro: Arquivo de imagem " + data / "nao_existe/disco.iso"}),
            "");
  for (const std::string& row : Rows(run.dumps.back())) {
    EXPECT_EQ(row.find("Preparando"), std::string::npos);
  }
}

}  // namespace
}  // namespace mg
