// Where the image-file recorder writes, from Sonela.ini.
#include "recording/imageconfig.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/paths.h"
#include "console/sysconfig.h"
#include "testutil.h"

namespace mg {
namespace {

TEST(ImageConfig, ValuesBecomeAbsoluteLinuxPaths) {
  test::TempDir home;
  setenv("HOME", home.path().c_str(), 1);
  EXPECT_EQ(ImageFilePathFromValue(""), "");
  EXPECT_EQ(ImageFilePathFromValue("~/minigravador.iso"), home / "minigravador.iso");
  EXPECT_EQ(ImageFilePathFromValue("/tmp/x.iso"), "/tmp/x.iso");
  EXPECT_EQ(ImageFilePathFromValue("imagens\\disco.iso"), home / "imagens/disco.iso");
  EXPECT_EQ(ImageFilePathFromValue("/tmp/f\xe9rias.iso"), "/tmp/f\xc3\xa9rias.iso");
}

TEST(ImageConfig, KeyIsReadFromTheUsersSonelaIni) {
  test::TempDir home;
  setenv("HOME", home.path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
  test::MakeDir(home / ".config");
  test::MakeDir(home / ".config/Sonela");
  const std::string ini = home / ".config/Sonela/Sonela.ini";
  test::WriteFile(ini, "[SONELA]\r\nLEGADO=N\r\n[gravador]\r\nimagem = ~/saida.iso \r\n");
  FlushProfileCache();
  EXPECT_EQ(ImageFilePath(), home / "saida.iso");
  test::WriteFile(ini, "[GRAVADOR]\r\nOUTRA=1\r\n");
  FlushProfileCache();
  EXPECT_EQ(ImageFilePath(), "");
}

TEST(GravadorKeys, ProgressAndVerificationAreOnUnlessTurnedOffAndSpeedIsANumber) {
  for (const char* on : {"", "SIM", "s", "1", "yes"}) EXPECT_TRUE(GravadorKeyOn(on)) << on;
  for (const char* off : {"NAO", "n\xe3o", "Nunca"}) EXPECT_FALSE(GravadorKeyOn(off)) << off;
  EXPECT_EQ(WriteSpeedFromValue(""), 0);
  EXPECT_EQ(WriteSpeedFromValue("20000"), 20000);
  for (const char* bad : {"-5", "10x", " 7", "99999999999999999999"})
    EXPECT_EQ(WriteSpeedFromValue(bad), 0) << bad;
}

}  // namespace
}  // namespace mg
