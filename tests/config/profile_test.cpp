#include <gtest/gtest.h>

#include "console/minireg.h"
#include "console/sysconfig.h"
#include "tempdir.h"

namespace mg {
namespace {

class Profile : public ::testing::Test {
 protected:
  void SetUp() override { FlushProfileCache(); }
  std::string Read(const std::string& text, const char* sec, const char* key,
                   const char* def = "dflt", size_t size = 255) {
    const std::string f = dir.Write("p.ini", text);
    FlushProfileCache();
    return ReadProfileString(sec, key, def, f, size);
  }
  test::TempDir dir;
};

TEST_F(Profile, SectionsAndKeysIgnoreCaseAndFirstMatchWins) {
  const std::string ini =
      "[Video]\r\nFonte=Primeira\r\nFONTE=Segunda\r\n[VIDEO]\r\nfonte=Terceira\r\n"
      "LENTO=S\r\n";
  EXPECT_EQ(Read(ini, "video", "fonte"), "Primeira");
  // Only the first section of a name is searched.
  EXPECT_EQ(Read(ini, "VIDEO", "lento"), "dflt");
  EXPECT_EQ(Read(ini, "OUTRA", "fonte"), "dflt");
}

TEST_F(Profile, BlanksAndQuotesAroundValues) {
  const std::string ini =
      "  [ SEC ]  \n  chave  =   valor com espa\xe7os   \naspas=\"  dentro  \"\n"
      "simples='x'\nmeia=\"aberta\nvazio=\nigual=a=b\n";
  EXPECT_EQ(Read(ini, "SEC", "CHAVE"), "valor com espa\xe7os");
  EXPECT_EQ(Read(ini, "SEC", "aspas"), "  dentro  ");
  EXPECT_EQ(Read(ini, "SEC", "simples"), "x");
  EXPECT_EQ(Read(ini, "SEC", "meia"), "\"aberta");
  EXPECT_EQ(Read(ini, "SEC", "vazio"), "");
  EXPECT_EQ(Read(ini, "SEC", "igual"), "a=b");
}

TEST_F(Profile, MalformedLinesAreSkippedAndDefaultsApply) {
  const std::string ini =
      "antes=1\n[S]\nsem igual\n;comentario=2\n=semchave\nk=v\n[quebrada\nj=w\n";
  EXPECT_EQ(Read(ini, "S", "antes"), "dflt");
  EXPECT_EQ(Read(ini, "S", "sem igual"), "dflt");
  EXPECT_EQ(Read(ini, "S", ";comentario"), "dflt");
  EXPECT_EQ(Read(ini, "S", "k"), "v");
  EXPECT_EQ(Read(ini, "QUEBRADA", "j"), "w");
  // The default loses trailing blanks; a missing file gives the default.
  FlushProfileCache();
  EXPECT_EQ(ReadProfileString("S", "k", "padr\xe3o  ", (dir.path() / "nada.ini").string()),
            "padr\xe3o");
}

TEST_F(Profile, ValuesAreCutToTheBuffer) {
  const std::string longValue(300, 'x');
  EXPECT_EQ(Read("[S]\nk=" + longValue + "\n", "S", "k", "", 80).size(), 79u);
  EXPECT_EQ(Read("[S]\nk=" + longValue + "\n", "S", "k", "", 255).size(), 254u);
}

TEST_F(Profile, RewrittenFileIsReadAgain) {
  const std::string f = dir.Write("r.ini", "[S]\nk=um\n");
  EXPECT_EQ(ReadProfileString("S", "k", "", f), "um");
  dir.Write("r.ini", "[S]\nk=dois, mais longo\n");
  EXPECT_EQ(ReadProfileString("S", "k", "", f), "dois, mais longo");
}

TEST_F(Profile, WindowsPathsAreAccepted) {
  dir.Write("sub/w.ini", "[S]\nk=v\n");
  const std::string winPath = (dir.path() / "sub").string() + "\\w.ini";
  EXPECT_EQ(ReadProfileString("S", "k", "", winPath), "v");
}

TEST(Registry, WellKnownValuesAndTextFile) {
  test::TempDir dir;
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  std::string text;
  EXPECT_TRUE(ReadRegistryString(
      RegistryRoot::CurrentUser,
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\AppData", text));
  EXPECT_EQ(text, dir.path().string());
  EXPECT_FALSE(ReadRegistryString(RegistryRoot::CurrentUser, "SemBarra", text));

  dir.Write("mbrola/br4/br4", "db");
  SetMbrolaRoot((dir.path() / "mbrola").string());
  EXPECT_TRUE(
      ReadRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\TCTS\\Mbrola\\databases\\br4", text));
  EXPECT_EQ(text, (dir.path() / "mbrola/br4/br4").string());
  EXPECT_TRUE(ReadRegistryString(RegistryRoot::LocalMachine,
                                 "SOFTWARE\\TCTS\\Mbrola\\databases\\BR4\\", text));
  EXPECT_FALSE(ReadRegistryString(RegistryRoot::LocalMachine,
                                  "SOFTWARE\\TCTS\\Mbrola\\databases\\..", text));
  EXPECT_FALSE(ReadRegistryString(RegistryRoot::LocalMachine,
                                  "SOFTWARE\\TCTS\\Mbrola\\databases\\fr1", text));

  dir.Write("Sonela/minireg.ini",
            "[HKEY_CURRENT_USER\\Software\\Sonela]\nVoz=Clara\n@=padrao\nVazio=\n");
  FlushProfileCache();
  EXPECT_TRUE(ReadRegistryString(RegistryRoot::CurrentUser, "Software\\Sonela\\voz", text));
  EXPECT_EQ(text, "Clara");
  EXPECT_TRUE(ReadRegistryString(RegistryRoot::CurrentUser, "Software\\Sonela\\", text));
  EXPECT_EQ(text, "padrao");
  EXPECT_TRUE(ReadRegistryString(RegistryRoot::CurrentUser, "Software\\Sonela\\Vazio", text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(ReadRegistryString(RegistryRoot::CurrentUser, "Software\\Sonela\\Outra", text));
  EXPECT_FALSE(ReadRegistryString(RegistryRoot::LocalMachine, "Software\\Sonela\\Voz", text));
  SetMbrolaRoot("/usr/share/mbrola");
}

}  // namespace
}  // namespace mg
