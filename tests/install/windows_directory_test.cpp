// Where a program finds the folder of its shipped Sonela.ini, for each way it can stand
// on disk: installed under /usr or another prefix, staged under another root, in the
// build tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "../config/tempdir.h"
#include "common/paths.h"

namespace mg {
namespace {

namespace fs = std::filesystem;

class WindowsDirectoryForTest : public ::testing::Test {
 protected:
  std::string Dir(const std::string& rel) {
    fs::create_directories(tmp_.path() / rel);
    return (tmp_.path() / rel).string();
  }
  std::string Ini(const std::string& relDir) {
    tmp_.Write(relDir + "/Sonela.ini", "[SONELA]\n");
    return (tmp_.path() / relDir).string();
  }
  std::string Root() const { return tmp_.path().string(); }

  test::TempDir tmp_;
};

TEST_F(WindowsDirectoryForTest, TheSystemPrefixUsesEtcWhetherOrNotTheFileIsThere) {
  EXPECT_EQ(WindowsDirectoryFor("/usr/bin"), "/etc/minigravador");
  EXPECT_EQ(WindowsDirectoryFor("/usr/bin/"), "/etc/minigravador");
  EXPECT_EQ(WindowsDirectoryFor("/usr/lib/../bin"), "/etc/minigravador");
  EXPECT_EQ(WindowsDirectoryFor("/bin"), "/etc/minigravador");
}

TEST_F(WindowsDirectoryForTest, AnyOtherPrefixUsesItsOwnEtc) {
  const std::string bin = Dir("opt/minigravador/bin");
  const std::string own = Root() + "/opt/minigravador/etc/minigravador";
  // Not installed yet: still the folder an install would fill.
  EXPECT_EQ(WindowsDirectoryFor(bin), own);
  Ini("opt/minigravador/etc/minigravador");
  EXPECT_EQ(WindowsDirectoryFor(bin), own);
}

TEST_F(WindowsDirectoryForTest, AUsrTreeUnderAnotherRootUsesThatRootsEtc) {
  const std::string bin = Dir("stage/usr/bin");
  EXPECT_EQ(WindowsDirectoryFor(bin), Root() + "/stage/usr/etc/minigravador");
  const std::string staged = Ini("stage/etc/minigravador");
  EXPECT_EQ(WindowsDirectoryFor(bin), staged);
  // A prefix that only happens to be called usr keeps its own configuration first.
  const std::string own = Ini("stage/usr/etc/minigravador");
  EXPECT_EQ(WindowsDirectoryFor(bin), own);
}

TEST_F(WindowsDirectoryForTest, TheBuildTreeKeepsItsConfigurationInEtc) {
  const std::string bin = Dir("build/bin");
  const std::string etc = Ini("build/etc");
  EXPECT_EQ(WindowsDirectoryFor(bin), etc);
  // An installed tree's own folder wins over a stray file in etc.
  const std::string own = Ini("build/etc/minigravador");
  EXPECT_EQ(WindowsDirectoryFor(bin), own);
}

}  // namespace
}  // namespace mg
