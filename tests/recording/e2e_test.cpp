// The whole program, typed into through its real window (offscreen SDL, keys from a
// script), sound to SDL's disk driver, writing to an image file: the image must hold
// exactly the directory, the screen must show every prompt in order, and sound must
// have been played for each spoken prompt.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

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
  off_t audioAtWriteStart = -1;    // audio file size when the image began to grow
  off_t audioAtWriteEnd = -1;      // ... and when it had stopped growing
};

// How a run is made.
struct RunOptions {
  bool asNobody = false;  // as the user nobody (the tests run as root)
  std::string display;    // an X display for the window instead of the offscreen one
  std::string image;      // the image file, watched while the program runs
  // Called once, soon after the image began to grow, with the program's process id.
  std::function<void(pid_t)> duringWrite;
};

constexpr uid_t kNobody = 65534;

// A fresh user: home, Sonela.ini (the shipped one with IMAGEM set, or removed when
// `image` is empty) and the key script.
class Program {
 public:
  // `gravador`: more lines of the [GRAVADOR] section ("VELOCIDADE=20000").
  Program(const std::string& image, const std::string& keys,
          const std::vector<std::string>& gravador = {}) {
    test::MakeDir(tmp_ / "home");
    test::MakeDir(tmp_ / "config");
    test::MakeDir(tmp_ / "config/Sonela");
    std::ifstream in(kShippedIni);
    std::ostringstream ini;
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("IMAGEM=", 0) == 0) {
        if (!image.empty()) ini << "IMAGEM=" << image << "\r\n";
        for (const std::string& g : gravador) ini << g << "\n";
      } else {
        ini << line << "\n";
      }
    }
    test::WriteFile(tmp_ / "config/Sonela/Sonela.ini", ini.str());
    test::WriteFile(tmp_ / "keys", keys);
  }

  // Runs the program to its end (at most `seconds`), collecting each screen dump as it
  // is written (the dump file is a FIFO) with the amount of sound played by then.
  RunResult Run(int seconds = 240, const RunOptions& options = {}) {
    RunResult result;
    const std::string fifo = tmp_ / "screen";
    const std::string audio = tmp_ / "audio.raw";
    if (mkfifo(fifo.c_str(), 0600) != 0) return result;
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (options.asNobody) test::Run("chown -R nobody:nogroup '" + tmp_.path() + "'");
    const pid_t pid = fork();
    if (pid == 0) {
      if (options.asNobody &&
          (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
        _exit(125);
      }
      setenv("HOME", (tmp_ / "home").c_str(), 1);
      setenv("XDG_CONFIG_HOME", (tmp_ / "config").c_str(), 1);
      setenv("SDL_VIDEODRIVER", options.display.empty() ? "offscreen" : "x11", 1);
      if (!options.display.empty()) setenv("DISPLAY", options.display.c_str(), 1);
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
    off_t imageSize = 0;
    auto lastGrowth = std::chrono::steady_clock::now();
    const auto audioSize = [&] {
      struct stat st {};
      return stat(audio.c_str(), &st) == 0 ? st.st_size : off_t{0};
    };
    while (!exited) {
      if (!options.image.empty()) {
        struct stat st {};
        const off_t size = stat(options.image.c_str(), &st) == 0 ? st.st_size : 0;
        const auto now = std::chrono::steady_clock::now();
        if (size > imageSize) {
          if (result.audioAtWriteStart < 0) {
            result.audioAtWriteStart = audioSize();
            if (options.duringWrite) options.duringWrite(pid);
          }
          imageSize = size;
          lastGrowth = now;
          result.audioAtWriteEnd = -1;
        } else if (imageSize > 0 && result.audioAtWriteEnd < 0 &&
                   now - lastGrowth > std::chrono::milliseconds(700)) {
          result.audioAtWriteEnd = audioSize();
        }
      }
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
      CheckOrder(rows,
                 {"Mini Gravador de CD", "Nome do CD (12 letras):", "MEUDISCO",
                  "Nome do diret\xc3\xb3rio a gravar", src, "2 arquivos, 1 diret\xc3\xb3rios",
                  "Insira o CD e aperte Enter quando pronto", "0 Arquivo de imagem disco.iso",
                  "Nenhum gravador de CD encontrado; a imagem ser\xc3\xa1 gravada no arquivo "
                  "disco.iso",
                  "Preparando a grava\xc3\xa7\xc3\xa3o, aguarde", "Grava\xc3\xa7\xc3\xa3o iniciada",
                  "Grava\xc3\xa7\xc3\xa3o: 100%", "Verificando a grava\xc3\xa7\xc3\xa3o",
                  "Grava\xc3\xa7\xc3\xa3o terminada", "Grava\xc3\xa7\xc3\xa3o verificada",
                  "A imagem est\xc3\xa1 no arquivo disco.iso, na pasta " +
                      data.path().substr(data.path().rfind('/') + 1)}),
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
  test::MakeDir(data / "trancada", 0);
  Program program(image,
                  "wait 3000\nkey Escape\nwait 3000\ntext " + data / "trancada" + "\nkey Return\n");
  RunOptions as;
  as.asNobody = true;
  RunResult run = program.Run(240, as);
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
  // Said short, without the path; the technical text went to standard error.
  EXPECT_EQ(
      CheckOrder(Rows(run.dumps.back()),
                 {"Insira o CD e aperte Enter quando pronto", "0 n\xc3\xa3o pode gravar",
                  "N\xc3\xa3o \xc3\xa9 poss\xc3\xadvel gravar o arquivo de imagem disco.iso"}),
      "");
  for (const std::string& row : Rows(run.dumps.back())) {
    EXPECT_EQ(row.find("Preparando"), std::string::npos);
  }
}

// ---- The burn as a blind user lives it -------------------------------------------------

// Keys for a run that answers every question up to the burn: an empty disc name, the
// directory, then Enter at "Insira o CD". `after` follows (answers asked during the burn).
// The script's keys come only when the program waits for one, after each prompt.
std::string KeysUpToTheBurn(const std::string& src, const std::string& after = "") {
  return "key Escape\ntext " + src + "\nkey Return\nkey Return\n" + after;
}

// An image made by an independent writer, standing for the previous disc: a run that must
// not write leaves it as it was, and it still reads back.
std::string OldImage(const TempDir& data, const std::string& image) {
  test::MakeDir(data / "antigo");
  test::WriteFile(data / "antigo/velho.txt", "disco anterior");
  EXPECT_EQ(test::Run("xorriso -as mkisofs -quiet -R -J -o '" + image + "' '" + data / "antigo" +
                      "' >/dev/null 2>&1"),
            0);
  return test::ReadFile(image);
}

void ExpectOldImageKept(const TempDir& data, const std::string& image, const std::string& bytes) {
  EXPECT_EQ(test::ReadFile(image), bytes) << "the old image was touched";
  TempDir out;
  ASSERT_TRUE(test::ExtractImage(image, out / "rr", false));
  EXPECT_EQ(test::CompareTrees(data / "antigo", out / "rr"), "");
}

bool ScreenHas(const RunResult& run, const std::string& start) {
  if (run.dumps.empty()) return false;
  for (const std::string& row : Rows(run.dumps.back()))
    if (row.rfind(start, 0) == 0) return true;
  return false;
}

// A tree of `megabytes` MB in files of 10 MB (pattern data, generated).
void MakeBigTree(const std::string& dir, int megabytes) {
  test::MakeDir(dir);
  test::MakeDir(dir + "/pasta");
  for (int i = 0; i < megabytes / 10; ++i) {
    test::WriteFile(dir + (i % 2 ? "/pasta/" : "/") + "parte" + std::to_string(i) + ".bin",
                    test::PatternBytes(10 * 1000 * 1000, 100 + static_cast<unsigned>(i)));
  }
}

TEST(RecordingBlind, UnreadableEntriesAtTheTopStopTheRunNamingThem) {
  if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
  TempDir data;
  const std::string src = data / "Documentos";
  test::MakeDir(src);
  test::WriteFile(src + "/livre.txt", "pode ler");
  test::WriteFile(src + "/trancado.txt", "n\xc3\xa3o pode");
  chmod((src + "/trancado.txt").c_str(), 0);
  test::MakeDir(src + "/pasta_trancada", 0);
  const std::string image = data / "disco.iso";
  const std::string old = OldImage(data, image);
  Program program(image, KeysUpToTheBurn(src));
  RunOptions as;
  as.asNobody = true;
  RunResult run = program.Run(120, as);
  ASSERT_EQ(run.status, 0);
  // Both counted; the first one the walk meets is named, and nothing is written.
  EXPECT_EQ(CheckOrder(Rows(run.dumps.back()), {"2 arquivos, 1 diret\xc3\xb3rios",
                                                "N\xc3\xa3o \xc3\xa9 poss\xc3\xadvel ler: "}),
            "");
  EXPECT_TRUE(ScreenHas(run, "N\xc3\xa3o \xc3\xa9 poss\xc3\xadvel ler: trancado.txt") ||
              ScreenHas(run, "N\xc3\xa3o \xc3\xa9 poss\xc3\xadvel ler: pasta_trancada"));
  EXPECT_FALSE(ScreenHas(run, "Insira o CD"));
  EXPECT_TRUE(HoldsSound(run.audio, run.audioAt.empty() ? 0 : run.audioAt.back() / 2,
                         static_cast<off_t>(run.audio.size())));
  ExpectOldImageKept(data, image, old);
}

TEST(RecordingBlind, LinksAreFollowedAndADanglingOneStopsTheRun) {
  if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
  TempDir data;
  const std::string src = data / "Documentos";
  test::MakeDir(src);
  test::WriteFile(src + "/carta.txt", "Prezado senhor,\n");
  test::MakeDir(data / "fora");
  test::WriteFile(data / "fora/segredo.txt", "de fora");
  test::MakeDir(data / "fora/dentro");
  test::WriteFile(data / "fora/dentro/fundo.txt", "mais fundo");
  ASSERT_EQ(symlink("../fora/segredo.txt", (src + "/link_arquivo").c_str()), 0);
  ASSERT_EQ(symlink("../fora", (src + "/link_pasta").c_str()), 0);
  test::MakeDir(src + "/sub");
  ASSERT_EQ(symlink("..", (src + "/sub/ancestral").c_str()), 0);
  const std::string image = data / "disco.iso";
  {
    Program program(image, KeysUpToTheBurn(src));
    RunResult run = program.Run();
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(CheckOrder(Rows(run.dumps.back()),
                         {"2 arquivos, 2 diret\xc3\xb3rios", "Grava\xc3\xa7\xc3\xa3o terminada",
                          "Grava\xc3\xa7\xc3\xa3o verificada"}),
              "");
    const std::vector<std::string> want{"carta.txt", "link_arquivo", "link_pasta/dentro/fundo.txt",
                                        "link_pasta/segredo.txt"};
    for (const bool joliet : {false, true}) {
      TempDir out;
      ASSERT_TRUE(test::ExtractImage(image, out / "x", joliet));
      EXPECT_EQ(test::ListFiles(out / "x"), want) << (joliet ? "Joliet" : "Rock Ridge");
      EXPECT_EQ(test::ReadFile(out / "x/link_pasta/dentro/fundo.txt"), "mais fundo");
      EXPECT_FALSE(test::FileExistsForTest(out / "x/sub/ancestral"));
    }
  }
  // Now one that leads nowhere: named, and the image of the first run stays.
  const std::string bytes = test::ReadFile(image);
  ASSERT_EQ(symlink("nao_existe", (src + "/sub/quebrado").c_str()), 0);
  Program program(image, KeysUpToTheBurn(src));
  RunResult run = program.Run();
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(
      CheckOrder(Rows(run.dumps.back()), {"2 arquivos, 2 diret\xc3\xb3rios",
                                          "N\xc3\xa3o \xc3\xa9 poss\xc3\xadvel ler: sub/quebrado"}),
      "");
  EXPECT_EQ(test::ReadFile(image), bytes);
  TempDir out;
  EXPECT_TRUE(test::ExtractImage(image, out / "rr", false));
}

TEST(RecordingBlind, ATreeTooBigForTheTargetIsSaidWithBothSizes) {
  if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
  TempDir data;
  const std::string src = data / "Documentos";
  test::MakeDir(src);
  // Sparse: larger than the free space of the image's file system, using none of it.
  struct statvfs fs {};
  ASSERT_EQ(statvfs(data.path().c_str(), &fs), 0);
  const int64_t free = static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize);
  const int fd = open((src + "/enorme.bin").c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, free + (int64_t{1} << 30)), 0);
  close(fd);
  const std::string image = data / "disco.iso";
  const std::string old = OldImage(data, image);
  Program program(image, KeysUpToTheBurn(src));
  RunResult run = program.Run();
  ASSERT_EQ(run.status, 0);
  std::string said;
  for (const std::string& row : Rows(run.dumps.back()))
    if (row.rfind("O diret\xc3\xb3rio tem ", 0) == 0) said = row;
  long long image_mb = 0, disc_mb = 0;
  ASSERT_EQ(std::sscanf(said.c_str(), "O diret\xc3\xb3rio tem %lld megabytes e o disco %lld",
                        &image_mb, &disc_mb),
            2)
      << said;
  EXPECT_GT(image_mb, disc_mb);
  EXPECT_GE(image_mb, (free + (int64_t{1} << 30)) >> 20);
  EXPECT_FALSE(ScreenHas(run, "Grava\xc3\xa7\xc3\xa3o iniciada"));
  ExpectOldImageKept(data, image, old);
}

TEST(RecordingBlind, ProgressIsSaidWhileWritingAndTheDiscIsVerified) {
  if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
  TempDir data;
  const std::string src = data / "Documentos";
  MakeBigTree(src, 200);
  const std::string image = data / "disco.iso";
  // 40 MB/s: five seconds of writing, time for the percentages to be said.
  Program program(image, KeysUpToTheBurn(src), {"VELOCIDADE=40000"});
  RunOptions o;
  o.image = image;
  RunResult run = program.Run(240, o);
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(CheckOrder(Rows(run.dumps.back()),
                       {"Grava\xc3\xa7\xc3\xa3o iniciada", "Grava\xc3\xa7\xc3\xa3o: 100%",
                        "Verificando a grava\xc3\xa7\xc3\xa3o", "Grava\xc3\xa7\xc3\xa3o terminada",
                        "Grava\xc3\xa7\xc3\xa3o verificada"}),
            "");
  // "Gravação iniciada" is said before the writing starts: sound while the image grows
  // is the percentages.
  ASSERT_GE(run.audioAtWriteStart, 0);
  ASSERT_GE(run.audioAtWriteEnd, 0);
  EXPECT_TRUE(HoldsSound(run.audio, run.audioAtWriteStart, run.audioAtWriteEnd));
  TempDir out;
  ASSERT_TRUE(test::ExtractImage(image, out / "rr", false));
  EXPECT_EQ(test::CompareTrees(src, out / "rr"), "");
}

// An X server of the tests' own (Xvfb), so that keys can be typed into the real window
// while the program is busy, as a user types them (xdotool, XTEST events).
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
  // Types keys (xdotool key names) into the program's window.
  void Keys(pid_t program, const std::string& keys) const {
    const std::string env = "DISPLAY=" + display_ + " ";
    const std::string find = env + "xdotool search --sync --onlyvisible --pid " +
                             std::to_string(program) + " 2>/dev/null | head -n 1";
    test::Run(env + "xdotool windowfocus --sync $(" + find + ") 2>/dev/null; " + env +
              "xdotool key --delay 80 " + keys + " >/dev/null 2>&1");
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

TEST(RecordingBlind, KeysTypedDuringTheBurnDoNotSilenceTheResult) {
  if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
  XServer x;
  if (x.display().empty()) GTEST_SKIP() << "Xvfb or xdotool missing";
  TempDir data;
  const std::string src = data / "Documentos";
  MakeBigTree(src, 60);
  const std::string image = data / "disco.iso";
  // 6 MB/s: ten seconds of writing, so that the keys surely come while it runs.
  Program program(image, KeysUpToTheBurn(src), {"VELOCIDADE=6000", "PROGRESSO=NAO"});
  RunOptions o;
  o.display = x.display();
  o.image = image;
  o.duringWrite = [&](pid_t pid) { x.Keys(pid, "a space Return"); };
  RunResult run = program.Run(240, o);
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(CheckOrder(Rows(run.dumps.back()),
                       {"Grava\xc3\xa7\xc3\xa3o iniciada", "Grava\xc3\xa7\xc3\xa3o terminada",
                        "Grava\xc3\xa7\xc3\xa3o verificada"}),
            "");
  EXPECT_FALSE(ScreenHas(run, "Grava\xc3\xa7\xc3\xa3o: "));  // PROGRESSO=NAO
  // The keys were answered while writing, and the result was heard after it.
  ASSERT_GE(run.audioAtWriteStart, 0);
  ASSERT_GE(run.audioAtWriteEnd, 0);
  EXPECT_TRUE(HoldsSound(run.audio, run.audioAtWriteStart, run.audioAtWriteEnd));
  EXPECT_TRUE(HoldsSound(run.audio, run.audioAtWriteEnd, static_cast<off_t>(run.audio.size())));
  TempDir out;
  ASSERT_TRUE(test::ExtractImage(image, out / "rr", false));
  EXPECT_EQ(test::CompareTrees(src, out / "rr"), "");
}

TEST(RecordingBlind, CtrlBreakDuringTheBurnAsksAndCancelsLeavingNoImage) {
  if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
  XServer x;
  if (x.display().empty()) GTEST_SKIP() << "Xvfb or xdotool missing";
  TempDir data;
  const std::string src = data / "Documentos";
  MakeBigTree(src, 200);
  const std::string image = data / "disco.iso";
  // 10 MB/s: twenty seconds of writing, far more than the question takes. The answer
  // "s" comes from the key script when the question waits for a key.
  Program program(image, KeysUpToTheBurn(src, "text s\n"), {"VELOCIDADE=10000"});
  RunOptions o;
  o.display = x.display();
  o.image = image;
  o.duringWrite = [&](pid_t pid) { x.Keys(pid, "ctrl+Pause"); };
  RunResult run = program.Run(240, o);
  EXPECT_EQ(run.status, 2);
  ASSERT_FALSE(run.dumps.empty());
  EXPECT_EQ(CheckOrder(Rows(run.dumps.back()),
                       {"Grava\xc3\xa7\xc3\xa3o iniciada", "Cancelar a grava\xc3\xa7\xc3\xa3o? S/N",
                        "Grava\xc3\xa7\xc3\xa3o cancelada"}),
            "");
  EXPECT_FALSE(ScreenHas(run, "Grava\xc3\xa7\xc3\xa3o terminada"));
  EXPECT_FALSE(test::FileExistsForTest(image)) << "a cut-off image was left";
}

}  // namespace
}  // namespace mg
