// The console probe run for real: offscreen SDL window, software renderer, keys from a
// script; the screen dump and the rendered picture are checked.
#include <SDL.h>
#include <gtest/gtest.h>

#include "e2e_util.h"

namespace mg::e2e {
namespace {

class ProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::string(MG_BINARY_DIR) + "/console_e2e/" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void Ini(const std::string& text) { WriteText(dir + "/config/Sonela/Sonela.ini", text); }
  int Run(const std::string& script, std::map<std::string, std::string> env = {}) {
    WriteText(dir + "/keys.txt", script);
    std::map<std::string, std::string> all = {{"SDL_VIDEODRIVER", "offscreen"},
                                              {"SDL_RENDER_DRIVER", "software"},
                                              {"SDL_AUDIODRIVER", "dummy"},
                                              {"HOME", dir},
                                              {"XDG_CONFIG_HOME", dir + "/config"},
                                              {"MG_KEY_SCRIPT", dir + "/keys.txt"},
                                              {"MG_SCREEN_DUMP", dir + "/screen.txt"},
                                              {"MG_SCREENSHOT", dir + "/screen.bmp"}};
    for (const auto& [k, v] : env) all[k] = v;
    const int status = Start({ProbePath()}, all, dir + "/stderr.txt").Wait();
    dump = ReadDump(dir + "/screen.txt");
    return status;
  }
  std::string dir;
  Dump dump;
};

TEST_F(ProbeTest, TypedLineAndKeyCodesReachTheProgram) {
  ASSERT_EQ(Run("text Ol\xc3\xa1 Mundo\n"
                "key Return\n"
                "key F1\n"
                "key F9 ctrl+shift\n"
                "key Left alt\n"
                "key Insert shift\n"
                "key F10\n"
                "text \xc3\xa7\n"
                "key v ctrl\n"
                "key q ctrl+alt\n"
                "mouse left\n"
                "mouse middle\n"
                "wheel down\n"
                "wheel none\n"
                "key Escape\n"),
            0)
      << ReadText(dir + "/stderr.txt");
  ASSERT_TRUE(dump.ok);
  EXPECT_EQ(dump.Text(1), "Sonda do console");
  EXPECT_EQ(dump.Text(2), "verde fim");
  EXPECT_EQ(dump.Text(3), "Nome: Ol\xc3\xa1 Mundo");
  EXPECT_EQ(dump.Text(4), "Lido: [Ol\xc3\xa1 Mundo]");
  EXPECT_EQ(dump.Text(5), "Teclas: 0 59 0a 102a 0a 75a 0s 254s 231 22 0a 16a 13 0 67 0 80");
  EXPECT_EQ(dump.Text(6), "Fim.");
  EXPECT_EQ(dump.cursor, "cursor 1 7");
}

TEST_F(ProbeTest, ColoursFromTheConfigurationAndTextInTheRightCells) {
  Ini("[VIDEO]\nTABCORES=15,14\nCORFUNDO=1\nCORLETRA=0\nFONTE=DejaVu Sans Mono\n"
      "LARGURALETRA=10\nALTURALETRA=20\n");
  ASSERT_EQ(Run("text x\nkey Return\nkey Escape\n"), 0) << ReadText(dir + "/stderr.txt");
  ASSERT_TRUE(dump.ok);
  EXPECT_EQ(dump.Attr(1, 1), "10");
  EXPECT_EQ(dump.Attr(80, 25), "10");
  EXPECT_EQ(dump.Attr(1, 2), "42");
  EXPECT_EQ(dump.Attr(6, 2), "10");

  SDL_Surface* loaded = SDL_LoadBMP((dir + "/screen.bmp").c_str());
  ASSERT_NE(loaded, nullptr) << SDL_GetError();
  SDL_Surface* pic = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->w, 800);
  EXPECT_EQ(pic->h, 500);
  auto pixel = [&](int x, int y) {
    const uint32_t v = static_cast<const uint32_t*>(pic->pixels)[y * (pic->pitch / 4) + x];
    return v & 0xFFFFFF;
  };
  // Counts of the cell's pixels in the colour given.
  auto count = [&](int column, int row, uint32_t rgb) {
    int n = 0;
    for (int y = (row - 1) * 20; y < row * 20; ++y) {
      for (int x = (column - 1) * 10; x < column * 10; ++x) n += pixel(x, y) == rgb;
    }
    return n;
  };
  const uint32_t yellow = 0xFFFF00, white = 0xFFFFFF, red = 0xFF0000, green = 0x00FF00;
  // Colour 1 shows yellow, colour 0 white (palette 15,14); colours 4 and 2 keep theirs.
  for (int c = 1; c <= 16; ++c) {
    const bool letter = std::string("Sonda do console")[c - 1] != ' ';
    EXPECT_EQ(count(c, 1, white) > 3, letter) << "column " << c;
    EXPECT_GT(count(c, 1, yellow), 100) << "column " << c;
  }
  EXPECT_EQ(count(17, 1, yellow), 200);
  EXPECT_EQ(count(40, 12, yellow), 200);
  for (int c = 1; c <= 5; ++c) {
    EXPECT_GT(count(c, 2, green), 3) << "column " << c;
    EXPECT_GT(count(c, 2, red), 100) << "column " << c;
  }
  EXPECT_EQ(count(6, 2, yellow), 200);
  SDL_FreeSurface(pic);
}

TEST_F(ProbeTest, BrailleKeyboardChordsThroughTheWindow) {
  Ini("[BRAILLE]\nMODO=1\n");
  ASSERT_EQ(Run("down f\ndown d\nup f\nup d\n"
                "text x\n"
                "key Return\n"
                "down Space\ndown f\nup f\nup Space\n"
                "key F11 ctrl+shift\n"
                "down s\ndown l\ndown j\ndown k\nup s\nup l\nup j\nup k\n"
                "down f\nup f\n"
                "key Escape\n"),
            0)
      << ReadText(dir + "/stderr.txt");
  ASSERT_TRUE(dump.ok);
  EXPECT_EQ(dump.Text(4), "Lido: [b ]");    // x is no chord key: a blank
  EXPECT_EQ(dump.Text(5), "Teclas: 1 49");  // space+dot 1; mode 2: # then a gives 1
}

TEST_F(ProbeTest, CloseAndQuitEndTheProgramWithStatusZero) {
  EXPECT_EQ(Run("text a\nclose\n"), 0);
  ASSERT_TRUE(dump.ok);
  EXPECT_EQ(dump.Text(3), "Nome: a");
  EXPECT_EQ(Run("quit\n"), 0);
  EXPECT_TRUE(dump.ok);
  EXPECT_EQ(Run("key Pause ctrl\n"), 0);
  EXPECT_EQ(Run("key F4 alt\n"), 0);
}

TEST_F(ProbeTest, AKeyFloodKeepsTheFirst64Codes) {
  ASSERT_EQ(Run("text " + std::string(100, 'k') + "\nkey Return\nkey Escape\n"), 0);
  ASSERT_TRUE(dump.ok);
  EXPECT_EQ(dump.Text(3), "Nome: " + std::string(64, 'k'));
}

TEST_F(ProbeTest, AnEndedScriptEndsTheProgramWithStatusThree) {
  EXPECT_EQ(Run("text abc\n"), 3);
  ASSERT_TRUE(dump.ok);
  EXPECT_EQ(dump.Text(3), "Nome: abc");
  EXPECT_NE(ReadText(dir + "/stderr.txt").find("MG_KEY_SCRIPT"), std::string::npos);
}

TEST_F(ProbeTest, ALongLineKeeps126Characters) {
  std::string typed;
  for (int i = 0; i < 130; ++i) typed += static_cast<char>('a' + i % 26);
  // In pieces: the script feeds a line when the key buffer is empty, and 64 codes fit.
  ASSERT_EQ(Run("text " + typed.substr(0, 60) + "\ntext " + typed.substr(60, 60) + "\ntext " +
                typed.substr(120) + "\nkey Return\nkey Escape\n"),
            0);
  ASSERT_TRUE(dump.ok);
  // "Lido: [" starts row 5 (the echo took rows 3 and 4) and wraps after 80 cells.
  const std::string shown = dump.rows.at(4) + dump.Text(6);
  EXPECT_EQ(shown, "Lido: [" + typed.substr(0, 126) + "]");
}

TEST_F(ProbeTest, NoDisplayEndsWithAMessageAndStatusOne) {
  const int status = Run("", {{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", ""}});
  EXPECT_EQ(status, 1);
  EXPECT_NE(ReadText(dir + "/stderr.txt").find("N\xc3\xa3o foi poss\xc3\xadvel abrir a janela"),
            std::string::npos);
}

}  // namespace
}  // namespace mg::e2e
