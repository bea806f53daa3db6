// minigravador with the shipped configuration, the voice kit of the build tree and no
// mbrola on PATH speaks its banner through the legacy voice: the samples that
// FalaFonemas makes of the banner's words, and the recorded number word of the "12" in
// the prompt after it, reach the sound device unchanged (SDL's disk driver writes every played byte
// to a file).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "console/sysconfig.h"
#include "legacy/sninter.h"
#include "legacy/sntradut.h"
#include "legacy/unidades.h"

namespace mg {
namespace {

namespace fs = std::filesystem;
const fs::path kBin = MG_BINARY_DIR;

std::vector<std::vector<uint8_t>> g_blocks;
void Keep(const unsigned char* b, unsigned n) { g_blocks.emplace_back(b + 44, b + n); }

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(LegacyVoiceEndToEnd, BannerIsSpokenWithTheUnitsOfItsWords) {
  const fs::path program = kBin / "bin" / "minigravador";
  const fs::path ini = kBin / "etc" / "Sonela.ini";
  const fs::path data = kBin / "share" / "minigravador";
  if (!fs::exists(program) || !fs::exists(data / "difones" / "DIFONES2.IND"))
    GTEST_SKIP() << "minigravador or the voice kit is not built";

  // What the program should play, computed here with the same database and the
  // parameters the shipped configuration gives for its speed.
  const std::string speed = ReadProfileString("TRADUTOR", "VELOCIDADE", "3", ini.string());
  const auto key = [&](const char* name) {
    return std::atoi(ReadProfileString("SINTETIZADOR", name + speed, "0", ini.string()).c_str());
  };
  ASSERT_EQ(IniciaTradutorEm((data / "letras").string(), (data / "difones").string()), 0);
  AjustaParametros(key("CORTEFON"), key("SOBRAFON"), key("INTERPAL"));
  SetBlockPlayer(Keep);
  FalaFonemas(TraduzTexto("Mini Gravador de CD"));
  FechaTradutor();
  ASSERT_FALSE(g_blocks.empty());
  size_t expected = 0;
  for (const auto& b : g_blocks) expected += b.size();
  const auto doze = ReadWavU8Mono((data / "letras" / "_doze.wav").string());
  ASSERT_TRUE(doze);

  const fs::path tmp = fs::temp_directory_path() / ("mg_legsynth_e2e_" + std::to_string(getpid()));
  fs::remove_all(tmp);
  fs::create_directories(tmp / "home");
  fs::create_directories(tmp / "config" / "Sonela");
  {
    std::ofstream out(tmp / "config" / "Sonela" / "Sonela.ini", std::ios::binary);
    std::istringstream in(ReadAll(ini));
    std::string line;
    while (std::getline(in, line))
      if (line.rfind("IMAGEM=", 0) != 0) out << line << "\n";
    std::ofstream(tmp / "keys") << "wait " << 6000 + expected * 1000 / 11025 << "\nquit\n";
  }
  const fs::path audio = tmp / "audio.raw";
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("HOME", (tmp / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (tmp / "config").c_str(), 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", audio.c_str(), 1);
    setenv("MG_KEY_SCRIPT", (tmp / "keys").c_str(), 1);
    // No mbrola on PATH: the shipped configuration's own engine cannot start, and the
    // legacy voice speaks instead.
    setenv("PATH", (tmp / "home").c_str(), 1);
    if (chdir(tmp.c_str()) != 0) _exit(126);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      FAIL() << "minigravador did not end";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string played = ReadAll(audio);
  fs::remove_all(tmp);

  // Every block of the banner's words, in order, then the word for 12.
  size_t at = 0;
  for (const auto& b : g_blocks) {
    const size_t found = played.find(std::string(b.begin(), b.end()), at);
    ASSERT_NE(found, std::string::npos) << "a block of the banner was not played as made";
    at = found + b.size();
  }
  EXPECT_NE(played.find(std::string(doze->begin(), doze->end()), at), std::string::npos)
      << "the number word of the disc name prompt's 12";
  size_t sounding = 0;
  for (const auto& b : g_blocks)
    for (uint8_t s : b) sounding += s != 128;
  EXPECT_GT(sounding, expected / 2) << "the banner's words are mostly sound, not silence";
  EXPECT_GE(played.size(), expected + doze->size());
}

}  // namespace
}  // namespace mg
