// The whole program with the shipped configuration, MBROLA and br4 installed: the own
// engine speaks the banner and every prompt of a burn (16000 Hz, 16-bit sound reaches
// SDL's disk driver), and a key typed during a prompt silences it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>
#include <thread>

#include "engine/mbrola.h"
#include "testutil.h"

namespace mg {
namespace {

using Clock = std::chrono::steady_clock;
using test::TempDir;

const std::string kProgram = std::string(MG_BINARY_DIR) + "/bin/minigravador";
const std::string kShippedIni = std::string(MG_BINARY_DIR) + "/etc/Sonela.ini";

struct Outcome {
  int status = -1;
  std::vector<off_t> audioAt;  // bytes of sound captured at each screen dump
  std::vector<double> timeAt;  // seconds since the start at each dump
  std::string audio;
  std::string screen;  // the last dump
};

// The shipped Sonela.ini with IMAGEM = `image`, every line `edit` keeps (it may change
// the line; false drops it).
std::string ShippedIni(const std::string& image,
                       const std::function<bool(std::string& line)>& edit = nullptr) {
  std::istringstream in(test::ReadFile(kShippedIni));
  std::string ini, line;
  while (std::getline(in, line)) {
    if (line.rfind("IMAGEM=", 0) == 0) line = "IMAGEM=" + image;
    if (!edit || edit(line)) ini += line + "\n";
  }
  return ini;
}

// Runs the program to its end with `ini` as the user's Sonela.ini. The same `tmp` may run
// again: the user's state (the kept speed) is still there.
Outcome RunWith(const TempDir& tmp, const std::string& ini, const std::string& keys) {
  for (const char* d : {"home", "config", "config/Sonela"})
    if (!test::FileExistsForTest(tmp / d)) test::MakeDir(tmp / d);
  test::WriteFile(tmp / "config/Sonela/Sonela.ini", ini);
  test::WriteFile(tmp / "keys", keys);
  // Both are FIFOs read as they come. SDL's disk driver opens its file anew whenever the
  // device is reopened for another format (the engine's 16-bit sound, the 8-bit key
  // echoes): a plain file would keep only the last stretch.
  const std::string fifo = tmp / "screen", audio = tmp / "audio.raw";
  unlink(fifo.c_str());
  unlink(audio.c_str());
  Outcome run;
  if (mkfifo(fifo.c_str(), 0600) != 0 || mkfifo(audio.c_str(), 0600) != 0) return run;
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  const int sound = open(audio.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("HOME", (tmp / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (tmp / "config").c_str(), 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", audio.c_str(), 1);
    setenv("MG_KEY_SCRIPT", (tmp / "keys").c_str(), 1);
    setenv("MG_SCREEN_DUMP", fifo.c_str(), 1);
    const char* asan = getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
    if (chdir(tmp.path().c_str()) != 0) _exit(126);
    execl(kProgram.c_str(), kProgram.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string pending;
  int status = 0;
  bool exited = false;
  while (!exited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    char buf[8192];
    ssize_t n;
    while ((n = read(sound, buf, sizeof buf)) > 0) run.audio.append(buf, static_cast<size_t>(n));
    while ((n = read(reader, buf, sizeof buf)) > 0) pending.append(buf, static_cast<size_t>(n));
    for (size_t at; (at = pending.find("\ncursor ")) != std::string::npos;) {
      const size_t end = pending.find('\n', at + 1);
      if (end == std::string::npos) break;
      run.audioAt.push_back(static_cast<off_t>(run.audio.size()));
      run.timeAt.push_back(std::chrono::duration<double>(Clock::now() - start).count());
      run.screen = pending.substr(0, end + 1);
      pending.erase(0, end + 1);
    }
    if (waitpid(pid, &status, WNOHANG) == pid) exited = true;
    if (!exited && Clock::now() - start > std::chrono::seconds(180)) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "the program did not end";
      break;
    }
  }
  char buf[8192];
  for (ssize_t n; (n = read(sound, buf, sizeof buf)) > 0;)
    run.audio.append(buf, static_cast<size_t>(n));
  close(reader);
  close(sound);
  run.status = exited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// Runs the program to its end with the shipped Sonela.ini (IMAGEM = `image`).
Outcome RunProgram(const TempDir& tmp, const std::string& image, const std::string& keys) {
  return RunWith(tmp, ShippedIni(image), keys);
}

// Seconds of 16-bit speech in bytes [from, to) of the capture: 20 ms windows read as
// signed 16-bit samples that sound like speech. 8-bit unsigned sound read that way
// sits near -32640 or +32639 (its silence is 0x80 0x80) and never counts. Key echoes
// (8-bit) may leave the 16-bit sound after them at an odd offset: both are tried.
double Speech16(const std::string& audio, off_t from, off_t to) {
  to = std::min<off_t>(to, static_cast<off_t>(audio.size()));
  constexpr off_t kWindow = 320;
  int best = 0;
  for (off_t phase = 0; phase < 2; ++phase) {
    int windows = 0;
    for (off_t at = from + phase; at + 2 * kWindow <= to; at += 2 * kWindow) {
      double sum = 0, diff = 0;
      int16_t last = 0;
      for (off_t i = 0; i < kWindow; ++i) {
        const auto* p = reinterpret_cast<const uint8_t*>(audio.data() + at + 2 * i);
        const int16_t s = static_cast<int16_t>(p[0] | p[1] << 8);
        sum += double(s) * s;
        if (i > 0) diff += std::abs(s - last);
        last = s;
      }
      const double rms = std::sqrt(sum / kWindow);
      if (rms > 300 && rms < 15000 && diff / kWindow < rms) ++windows;
    }
    best = std::max(best, windows);
  }
  return best * 0.02;
}

class OwnEngineEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::FileExistsForTest(kProgram)) GTEST_SKIP() << "minigravador not built";
    const bool have = CarregaMbrola() && test::FileExistsForTest("/usr/share/mbrola/br4/br4");
    DescarregaMbrola();
    if (!have) {
      const char* require = getenv("MG_REQUIRE_SERVICES");
      if (require && std::string(require) == "1") FAIL() << "mbrola or br4 is not installed";
      GTEST_SKIP() << "mbrola or br4 is not installed";
    }
  }
};

TEST_F(OwnEngineEndToEnd, TheEngineSpeaksEveryPromptOfABurnAndAKeySilencesIt) {
  TempDir data;
  const std::string src = data / "Documentos";
  test::MakeDir(src);
  test::WriteFile(src + "/carta.txt", "Prezado senhor,\n");
  const std::string image = data / "disco.iso";
  const std::string keys =
      "wait 7000\ndump\n"  // 0: banner and disc name prompt said
      "wait 2000\ndump\n"  // 1: two seconds of the open device's silence
      "text MEUDISCO\nwait 2000\nkey Return\nwait 4000\ndump\n"  // 2: directory prompt said
      "text " +
      src +
      "\nwait 2000\nkey Return\nwait 7000\ndump\n"  // 3: count, insert prompt
      "key Return\n";                               // the burn and its three messages
  TempDir tmp;
  const Outcome run = RunProgram(tmp, image, keys);
  ASSERT_EQ(run.status, 0);
  ASSERT_GE(run.audioAt.size(), 5u);
  for (const char* line : {"Mini Gravador de CD",
                           "Nome do CD (12 letras):", "Insira o CD e aperte Enter quando pronto",
                           "Grava\xc3\xa7\xc3\xa3o terminada"}) {
    EXPECT_NE(run.screen.find(line), std::string::npos) << line << "\n" << run.screen;
  }
  // The device plays 16000 two-byte samples a second (legacy sound: 11025 one-byte).
  const double rate =
      static_cast<double>(run.audioAt[1] - run.audioAt[0]) / (run.timeAt[1] - run.timeAt[0]);
  EXPECT_GT(rate, 18000) << "bytes per second of the open device";
  EXPECT_LT(rate, 40000);
  const double first = Speech16(run.audio, 0, run.audioAt[0]);
  EXPECT_GT(first, 2.0) << "banner and disc name prompt";
  EXPECT_GT(Speech16(run.audio, run.audioAt[1], run.audioAt[2]), 0.8) << "directory prompt";
  EXPECT_GT(Speech16(run.audio, run.audioAt[2], run.audioAt[3]), 1.5)
      << "file count and insert prompt";
  EXPECT_GT(Speech16(run.audio, run.audioAt[3], static_cast<off_t>(run.audio.size())), 1.5)
      << "preparing, started, finished";
  EXPECT_TRUE(test::FileExistsForTest(image));

  // The same start with a key typed 100 ms into the disc name prompt: that prompt
  // stops there, the banner before it was whole.
  TempDir tmp2;
  const Outcome cut = RunProgram(tmp2, image + ".2", "wait 100\ntext M\nwait 2000\ndump\nquit\n");
  ASSERT_GE(cut.audioAt.size(), 1u);
  const double cutSpeech = Speech16(cut.audio, 0, cut.audioAt[0]);
  std::printf("device %.0f bytes/s; 16-bit speech: first stretch %.2f s, cut %.2f s\n", rate, first,
              cutSpeech);
  // "Mini Gravador de CD" lasts about a second at the shipped speed.
  EXPECT_GT(cutSpeech, 0.7) << "the banner";
  EXPECT_LT(cutSpeech, first - 0.6) << "the prompt was cut short";
}

// Speech speed by key, for the own engine (kind 3) and espeak-ng (kind 4): Ctrl+F4 and 5
// at the disc name prompt make the next prompt (the folder's) at most half as long as at
// the shipped index 3, and the next start of the program keeps index 5.
void SpeedFiveHalvesThePromptsAndIsKept(int kind) {
  const auto ofKind = [kind](std::string& line) {
    if (line.rfind("TIPOSAPI=", 0) == 0) line = "TIPOSAPI=" + std::to_string(kind);
    return true;
  };
  TempDir data;
  const std::string ini = ShippedIni(data / "disco.iso", ofKind);
  const std::string name = "text MEUDISCO\nkey Return\nwait 6000\ndump\nquit\n";
  TempDir normal, fast;
  const Outcome a = RunWith(normal, ini, "wait 8000\ndump\n" + name);
  const Outcome b = RunWith(
      fast, ini, "wait 8000\ndump\nkey F4 ctrl\nwait 500\ntext 5\nwait 3000\ndump\n" + name);
  ASSERT_GE(a.audioAt.size(), 2u);
  ASSERT_GE(b.audioAt.size(), 3u);
  const double first3 = Speech16(a.audio, 0, a.audioAt[0]);
  const double folder3 = Speech16(a.audio, a.audioAt[0], a.audioAt[1]);
  const double folder5 = Speech16(b.audio, b.audioAt[1], b.audioAt[2]);
  EXPECT_GT(Speech16(b.audio, b.audioAt[0], b.audioAt[1]), 0.2) << "Velocidade 5, said";
  // The same folder again: a new start at the kept index.
  const Outcome c = RunWith(fast, ini, "wait 8000\ndump\nquit\n");
  ASSERT_GE(c.audioAt.size(), 1u);
  const double first5 = Speech16(c.audio, 0, c.audioAt[0]);
  std::printf(
      "kind %d: folder prompt %.2f s at index 3, %.2f s at 5; banner and name prompt "
      "%.2f s at 3, %.2f s after a new start at 5\n",
      kind, folder3, folder5, first3, first5);
  EXPECT_GT(folder3, 0.8);
  EXPECT_GT(folder5, 0.2);
  EXPECT_LE(folder5, folder3 / 2);
  EXPECT_GT(first3, 2.0);
  EXPECT_GT(first5, 0.5);
  EXPECT_LE(first5, first3 / 2);
  EXPECT_NE(test::ReadFile(fast / "config/minigravador/estado").find("VELOCIDADE=5"),
            std::string::npos);
  EXPECT_EQ(test::ReadFile(fast / "config/Sonela/Sonela.ini"), ini) << "never written";
}

TEST_F(OwnEngineEndToEnd, SpeedFiveByKeyHalvesThePromptsAndIsKeptOwnEngine) {
  SpeedFiveHalvesThePromptsAndIsKept(3);
}

TEST_F(OwnEngineEndToEnd, SpeedFiveByKeyHalvesThePromptsAndIsKeptEspeak) {
  SpeedFiveHalvesThePromptsAndIsKept(4);
}

// The engine's file locations are read when the program starts, while the system's
// Sonela.ini (which has [ONDALTTS]) still backs the user's: a user file without that
// section, with LEGADO=N, still speaks with the own engine (16-bit sound), not the
// legacy voice (8-bit).
TEST_F(OwnEngineEndToEnd, AUserSonelaIniWithoutOndalttsStillGetsTheOwnEngine) {
  bool inOndal = false;
  const auto noOndal = [&inOndal](std::string& line) {
    if (!line.empty() && line[0] == '[') inOndal = line.rfind("[ONDALTTS]", 0) == 0;
    return !inOndal;
  };
  TempDir data, tmp;
  const std::string ini = ShippedIni(data / "disco.iso", noOndal);
  ASSERT_EQ(ini.find("ONDALTTS"), std::string::npos);
  ASSERT_NE(ini.find("LEGADO=N"), std::string::npos);
  const Outcome run = RunWith(tmp, ini, "wait 7000\ndump\nquit\n");
  ASSERT_GE(run.audioAt.size(), 1u);
  EXPECT_GT(Speech16(run.audio, 0, run.audioAt[0]), 2.0) << "the own engine's banner and prompt";
}

}  // namespace
}  // namespace mg
