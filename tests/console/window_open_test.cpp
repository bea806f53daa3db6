// The whole program when its window cannot open as configured: without a usable font it
// draws with its built-in one (or any font fontconfig has), and without a display it says
// so through the sound device, on stderr, and ends with a non-zero status.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "e2e_util.h"

namespace mg::e2e {
namespace {

const std::string kProgram = std::string(MG_BINARY_DIR) + "/bin/minigravador";
const std::string kShippedIni = std::string(MG_BINARY_DIR) + "/etc/Sonela.ini";
const std::string kNoWindow = "N\xc3\xa3o foi poss\xc3\xadvel abrir a janela";  // UTF-8

class WindowOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "minigravador not built";
    dir = std::string(MG_BINARY_DIR) + "/console_window_e2e/" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "/config/Sonela");
    std::filesystem::copy_file(kShippedIni, dir + "/config/Sonela/Sonela.ini");
  }
  // A fontconfig configuration that knows only the fonts in `fontDir` (none when empty).
  std::string Fontconfig(const std::string& name, const std::string& fontDir) {
    const std::string file = dir + "/" + name + ".conf";
    WriteText(file, "<?xml version=\"1.0\"?>\n<fontconfig>\n" +
                        (fontDir.empty() ? "" : "  <dir>" + fontDir + "</dir>\n") + "  <cachedir>" +
                        dir + "/fccache</cachedir>\n</fontconfig>\n");
    return file;
  }
  // Runs the program with sound to SDL's disk driver; the exit status, -1 when it had to
  // be killed after `seconds`.
  int Run(std::map<std::string, std::string> env, const std::string& keys, int seconds) {
    WriteText(dir + "/keys.txt", keys);
    std::filesystem::remove(dir + "/audio.raw");
    std::filesystem::remove(dir + "/screen.bmp");
    std::map<std::string, std::string> all = {
        {"SDL_RENDER_DRIVER", "software"},         {"SDL_AUDIODRIVER", "disk"},
        {"SDL_DISKAUDIOFILE", dir + "/audio.raw"}, {"HOME", dir},
        {"XDG_CONFIG_HOME", dir + "/config"},      {"MG_KEY_SCRIPT", dir + "/keys.txt"},
        {"MG_SCREENSHOT", dir + "/screen.bmp"}};
    for (const auto& [k, v] : env) all[k] = v;
    return Start({kProgram}, all, dir + "/stderr.txt").Wait(seconds);
  }
  std::string Stderr() { return ReadText(dir + "/stderr.txt"); }
  // Whether the disk driver's output holds sound rather than one constant silence value.
  bool Spoke() {
    const std::string audio = ReadText(dir + "/audio.raw");
    std::map<char, size_t> counts;
    for (const char c : audio) ++counts[c];
    size_t mode = 0;
    for (const auto& [c, n] : counts) mode = std::max(mode, n);
    return audio.size() - mode > 4000;
  }
  // Checks the picture's first row against `text`: ink in each letter's cell, none in
  // the blanks' cells.
  void ExpectRowDrawn(const std::string& text) {
    SDL_Surface* loaded = SDL_LoadBMP((dir + "/screen.bmp").c_str());
    ASSERT_NE(loaded, nullptr) << SDL_GetError();
    SDL_Surface* pic = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    ASSERT_NE(pic, nullptr);
    const int cw = pic->w / 80, ch = pic->h / 25;
    for (size_t c = 0; c < text.size(); ++c) {
      int ink = 0;
      for (int y = 0; y < ch; ++y) {
        for (int x = static_cast<int>(c) * cw; x < static_cast<int>(c + 1) * cw; ++x) {
          ink +=
              (static_cast<const uint32_t*>(pic->pixels)[y * (pic->pitch / 4) + x] & 0xFFFFFF) != 0;
        }
      }
      if (text[c] == ' ') {
        EXPECT_EQ(ink, 0) << "column " << c + 1;
      } else {
        EXPECT_GT(ink, 4) << "column " << c + 1 << " '" << text[c] << "'";
      }
    }
    SDL_FreeSurface(pic);
  }
  std::string dir;
};

// The script runs once the program waits for its first answer, after the banner is said.
const char* const kCloseAfterTheBanner = "key F4 alt\n";

TEST_F(WindowOpen, WithoutAnyFontTheBuiltInFontDrawsAndTheProgramSpeaks) {
  ASSERT_EQ(Run({{"SDL_VIDEODRIVER", "offscreen"}, {"FONTCONFIG_FILE", Fontconfig("none", "")}},
                kCloseAfterTheBanner, 60),
            0)
      << Stderr();
  EXPECT_NE(Stderr().find("fonte interna"), std::string::npos) << Stderr();
  ExpectRowDrawn("Mini Gravador de CD");
  EXPECT_TRUE(Spoke());
}

TEST_F(WindowOpen, WithoutAMonospaceFontAnyFontDraws) {
  const std::string font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!std::filesystem::exists(font)) GTEST_SKIP() << font << " is not installed";
  std::filesystem::create_directories(dir + "/fonts");
  std::filesystem::copy_file(font, dir + "/fonts/proportional.ttf");
  ASSERT_EQ(Run({{"SDL_VIDEODRIVER", "offscreen"},
                 {"FONTCONFIG_FILE", Fontconfig("proportional", dir + "/fonts")}},
                kCloseAfterTheBanner, 60),
            0)
      << Stderr();
  EXPECT_EQ(Stderr().find("fonte interna"), std::string::npos) << Stderr();
  ExpectRowDrawn("Mini Gravador de CD");
}

TEST_F(WindowOpen, WithoutADisplayTheProgramSaysSoAndEnds) {
  int display = 90;
  while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display))) ++display;
  // An X server that is not there; and no display at all, where SDL would fall back to
  // a window nobody sees.
  const std::map<std::string, std::string> cases[] = {
      {{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", ":" + std::to_string(display)}},
      {{"SDL_VIDEODRIVER", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}},
  };
  for (const auto& env : cases) {
    SCOPED_TRACE(env.count("DISPLAY") ? env.at("DISPLAY") : "");
    const int status = Run(env, "", 30);
    EXPECT_NE(status, -1) << "still running after 30 s";
    EXPECT_NE(status, 0);
    EXPECT_NE(Stderr().find(kNoWindow), std::string::npos) << Stderr();
    EXPECT_TRUE(Spoke());
    EXPECT_FALSE(std::filesystem::exists(dir + "/screen.bmp"));
  }
}

}  // namespace
}  // namespace mg::e2e
