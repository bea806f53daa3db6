// The source directory check: what is listed, counted and left out, and when it fails.
#include "recording/dircheck.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "recording/discfailure.h"
#include "testutil.h"

namespace mg {
namespace {

class DirCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(getcwd(cwd_, sizeof cwd_), nullptr); }
  void TearDown() override { ASSERT_EQ(chdir(cwd_), 0); }
  std::string Cwd() {
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? buf : "";
  }
  std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }
  char cwd_[PATH_MAX] = {};
  test::TempDir tmp_;
};

TEST_F(DirCheckTest, ListsFilesDirectoriesAndLinksButNotHiddenOrSpecialEntries) {
  const std::string d = tmp_ / "src";
  test::MakeDir(d);
  test::WriteFile(d + "/um.txt", "1");
  test::WriteFile(d + "/dois.txt", "2");
  test::WriteFile(d + "/.escondido", "h");
  test::MakeDir(d + "/.pasta_escondida");
  test::MakeDir(d + "/sub");
  ASSERT_EQ(symlink("um.txt", (d + "/atalho").c_str()), 0);
  ASSERT_EQ(mkfifo((d + "/fila").c_str(), 0644), 0);
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string sock = d + "/tomada";
  ASSERT_LT(sock.size(), sizeof addr.sun_path);
  std::strcpy(addr.sun_path, sock.c_str());
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  close(s);

  SourceListing l;
  ASSERT_TRUE(ListSourceDirectory(d, l));
  EXPECT_EQ(Cwd(), d);
  EXPECT_EQ(Sorted(l.entries), (std::vector<std::string>{"atalho", "dois.txt", "sub", "um.txt"}));
  EXPECT_EQ(l.files, 3);
  EXPECT_EQ(l.directories, 1);
  EXPECT_EQ(ListingSummary(l), "3 arquivos, 1 diret\xf3rios");
}

TEST_F(DirCheckTest, EmptyOrHiddenOnlyDirectoryIsNoFailure) {
  const std::string d = tmp_ / "vazia";
  test::MakeDir(d);
  SourceListing l;
  ASSERT_TRUE(ListSourceDirectory(d, l));
  EXPECT_TRUE(l.entries.empty());
  test::WriteFile(d + "/.so_isto", "x");
  ASSERT_TRUE(ListSourceDirectory(d, l));
  EXPECT_TRUE(l.entries.empty());
  EXPECT_EQ(ListingSummary(l), "0 arquivos, 0 diret\xf3rios");
}

TEST_F(DirCheckTest, OneSubdirectoryAndNoFiles) {
  const std::string d = tmp_ / "so_pasta";
  test::MakeDir(d);
  test::MakeDir(d + "/dentro");
  SourceListing l;
  ASSERT_TRUE(ListSourceDirectory(d, l));
  EXPECT_EQ(ListingSummary(l), "0 arquivos, 1 diret\xf3rios");
}

TEST_F(DirCheckTest, MissingEmptyOrUnenterableDirectoryFailsAndStaysPut) {
  const std::string before = Cwd();
  SourceListing l;
  EXPECT_FALSE(ListSourceDirectory("", l));
  EXPECT_FALSE(ListSourceDirectory(tmp_ / "nao_existe", l));
  test::WriteFile(tmp_ / "arquivo", "x");
  EXPECT_FALSE(ListSourceDirectory(tmp_ / "arquivo", l));
  test::MakeDir(tmp_ / "fechada", 0);
  test::MakeDir(tmp_ / "sem_leitura", 0311);  // can be entered, not listed
  {
    test::Unprivileged nobody;
    ASSERT_TRUE(nobody.ok());
    EXPECT_FALSE(ListSourceDirectory(tmp_ / "fechada", l));
    EXPECT_FALSE(ListSourceDirectory(tmp_ / "sem_leitura", l));
  }
  EXPECT_EQ(Cwd(), before);
}

TEST_F(DirCheckTest, EntriesTheUserCannotReadAreCountedAndNamed) {
  const std::string d = tmp_ / "src";
  test::MakeDir(d);
  test::WriteFile(d + "/livre.txt", "1");
  test::WriteFile(d + "/trancado.txt", "2");
  chmod((d + "/trancado.txt").c_str(), 0);
  test::MakeDir(d + "/pasta_trancada", 0);
  test::MakeDir(d + "/pasta_sem_busca", 0644);
  ASSERT_EQ(symlink("pasta_trancada", (d + "/link_pasta").c_str()), 0);
  test::Unprivileged nobody;
  ASSERT_TRUE(nobody.ok());
  SourceListing l;
  ASSERT_TRUE(ListSourceDirectory(d, l));
  EXPECT_EQ(l.entries.size(), 5u);
  EXPECT_EQ(ListingSummary(l), "2 arquivos, 3 diret\xf3rios");
  EXPECT_FALSE(CheckSourceTree(l));
  EXPECT_NE(l.unreadable, "livre.txt");
  EXPECT_FALSE(l.unreadable.empty());
}

TEST_F(DirCheckTest, AnUnreadableEntryDeepDownIsNamedFromTheTop) {
  const std::string d = tmp_ / "src";
  test::MakeDir(d);
  test::MakeDir(d + "/M\xc3\xbasica");
  test::MakeDir(d + "/M\xc3\xbasica/fundo");
  test::WriteFile(d + "/M\xc3\xbasica/fundo/segredo.txt", "x");
  chmod((d + "/M\xc3\xbasica/fundo/segredo.txt").c_str(), 0);
  test::Unprivileged nobody;
  ASSERT_TRUE(nobody.ok());
  SourceListing l;
  ASSERT_TRUE(ListSourceDirectory(d, l));
  EXPECT_EQ(ListingSummary(l), "0 arquivos, 1 diret\xf3rios");
  EXPECT_FALSE(CheckSourceTree(l));
  EXPECT_EQ(l.unreadable, "M\xc3\xbasica/fundo/segredo.txt");
  EXPECT_EQ(CannotReadSentence(l.unreadable),
            "N\xe3o \xe9 poss\xedvel ler: M\xfasica/fundo/segredo.txt");
}

TEST_F(DirCheckTest, TypedNameIsCp1252AndTildeIsHome) {
  const std::string d = tmp_ / "f\xc3\xa9rias";  // UTF-8 on disk
  test::MakeDir(d);
  test::WriteFile(d + "/a\xe7\xe3o", "bytes as on disk");  // not UTF-8: kept unchanged
  SourceListing l;
  ASSERT_TRUE(ListSourceDirectory(tmp_.path() + "/f\xe9rias", l));  // typed in cp1252
  EXPECT_EQ(l.entries, std::vector<std::string>{"a\xe7\xe3o"});
  setenv("HOME", tmp_.path().c_str(), 1);
  EXPECT_EQ(SourcePathForKernel("~"), tmp_.path());
  EXPECT_EQ(SourcePathForKernel("~/f\xe9rias"), d);
  EXPECT_EQ(SourcePathForKernel("a~b"), "a~b");
}

}  // namespace
}  // namespace mg
