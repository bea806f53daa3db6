// The recording dialogue against a scripted drive: one test per situation a user meets
// with a real burner. Each checks what is said, in order, and what the drive was asked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "dialoguefakes.h"
#include "recording/drivelayer.h"
#include "recording/mounts.h"
#include "scripteddrive.h"
#include "testutil.h"

namespace mg {
namespace {

using test::Script;
using test::ScriptedDisc;
using test::ScriptedLayer;
using test::TempDir;

const std::string kInsert = "Insira o disco e aperte Enter, ou Esc para sair";
const std::string kStarted = "Grava\xe7\xe3o iniciada";
const std::string kFinished = "Grava\xe7\xe3o terminada";
const std::string kVerified = "Grava\xe7\xe3o verificada";

ScriptedDisc Disc(DiscStatus status, int profile, const std::string& name) {
  ScriptedDisc d;
  d.status = status;
  d.profile = profile;
  d.profileName = name;
  return d;
}

template <class F>
test::DriveScript With(F set) {
  test::DriveScript s;
  set(s);
  return s;
}

class DriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    cwd_ = cwd;
    // No image-file recorder: only the scripted drive is listed.
    test::UseDialogueConfig(tmp_.path(), "");
    src_ = tmp_ / "Documentos";
    test::MakeDir(src_);
    test::WriteFile(src_ + "/carta.txt", "Prezado senhor,\n");
    test::WriteFile(src_ + "/foto.jpg", test::PatternBytes(1200000, 3));
    test::MakeDir(src_ + "/Fotos");
    test::WriteFile(src_ + "/Fotos/praia.jpg", test::PatternBytes(50000, 4));
    SetUnmountProgram(tmp_ / "no-udisksctl");
    Script() = {};
    Script().lines = {"MEUDISCO", src_};
  }
  void TearDown() override {
    InstallDriveLayer(nullptr);
    if (chdir(cwd_.c_str()) != 0) ADD_FAILURE() << "cwd";
  }

  // Runs the dialogue on the scripted drive with these keys.
  int Run(ScriptedLayer& layer, std::initializer_list<int> keys) {
    InstallDriveLayer(&layer);
    Script().keys.assign(keys.begin(), keys.end());
    const int code = test::RunDialogue();
    InstallDriveLayer(nullptr);
    return code;
  }

  // The sentences said in this order (others may come between).
  static void ExpectSaid(const std::vector<std::string>& wanted) {
    std::string missing;
    std::string all;
    for (const auto& s : Script().said) all += "  " + s + "\n";
    EXPECT_TRUE(test::InOrder(Script().said, wanted, missing))
        << "not said (in order): " << missing << "\nsaid:\n"
        << all;
  }
  static void ExpectCalls(const ScriptedLayer& layer, const std::vector<std::string>& wanted) {
    std::string missing;
    std::string all;
    for (const auto& c : layer.calls) all += c + ", ";
    EXPECT_TRUE(test::InOrder(layer.calls, wanted, missing))
        << "not called (in order): " << missing << "\ncalls: " << all;
  }
  static bool Said(const std::string& s) {
    return std::count(Script().said.begin(), Script().said.end(), s) > 0;
  }
  static bool Called(const ScriptedLayer& layer, const std::string& c) {
    return std::count(layer.calls.begin(), layer.calls.end(), c) > 0;
  }
  // The disc as written holds exactly the source tree (read by xorriso).
  void ExpectDiscHoldsSource(const ScriptedLayer& layer) {
    test::WriteFile(tmp_ / "disc.iso", layer.written);
    ASSERT_TRUE(test::ExtractImage(tmp_ / "disc.iso", tmp_ / "out", false));
    EXPECT_EQ(test::CompareTrees(src_, tmp_ / "out"), "");
  }

  TempDir tmp_;
  std::string src_;
  std::string cwd_;
};

TEST_F(DriveTest, BlankCdRIsBurnedVerifiedAndEjectedWithTailPadding) {
  ScriptedLayer cd(test::DriveScript{});
  EXPECT_EQ(Run(cd, {}), 0);
  ExpectSaid({"Mini Gravador de CD", "Nome do diret\xf3rio a gravar", "2 arquivos, 1 diret\xf3rios",
              "Insira o CD e aperte Enter quando pronto", "0 HL-DT-ST DVDRAM GH24NSD1",
              "Preparando a grava\xe7\xe3o, aguarde", kStarted, "25 por cento", "50 por cento",
              "75 por cento", "Verificando a grava\xe7\xe3o", kFinished, kVerified});
  ExpectCalls(cd, {"scan", "grab /dev/sr0", "write", "reassess", "eject"});
  // Listed from the scan: the drive is grabbed once only.
  EXPECT_EQ(std::count(cd.calls.begin(), cd.calls.end(), "grab /dev/sr0"), 1);
  ExpectDiscHoldsSource(cd);
  EXPECT_EQ(Script().remembered, 1);

  // The same on a DVD-R: the CD's image is 150 blocks (300 KiB) longer.
  Script().said.clear();
  Script().lines = {"MEUDISCO", src_};
  ScriptedLayer dvd(With([&](test::DriveScript& s) {
    s.discs = {Disc(DiscStatus::Blank, 0x11, "DVD-R sequential recording")};
  }));
  EXPECT_EQ(Run(dvd, {}), 0);
  ExpectSaid({kStarted, kFinished, kVerified});
  EXPECT_EQ(cd.written.size(), dvd.written.size() + 150 * 2048);
  EXPECT_EQ(cd.written.find_first_not_of('\0', dvd.written.size()), std::string::npos);
}

TEST_F(DriveTest, RewritableDiscWithDataIsErasedOnYesAndEjectedOnNo) {
  ScriptedDisc rw = Disc(DiscStatus::Full, 0x0a, "CD-RW");
  rw.erasable = true;
  ScriptedLayer yes(With([&](test::DriveScript& s) { s.discs = {rw}; }));
  EXPECT_EQ(Run(yes, {'s'}), 0);
  ExpectSaid({"O disco n\xe3o est\xe1 vazio. Apagar o disco? S/N", "Apagando o disco, aguarde",
              "Preparando a grava\xe7\xe3o, aguarde", kStarted, kFinished, kVerified});
  ExpectCalls(yes, {"grab /dev/sr0", "erase fast", "reassess", "write", "eject"});
  ExpectDiscHoldsSource(yes);

  // Closing the window while it erases asks first; "S" leaves (exit code 2).
  Script() = {};
  Script().lines = {"MEUDISCO", src_};
  Script().closeAtPause = 3;
  ScriptedLayer leave(With([&](test::DriveScript& s) { s.discs = {rw}; }));
  EXPECT_EQ(Run(leave, {'S', 'S'}), 2);
  ExpectSaid({"Apagando o disco, aguarde", "Cancelar o apagamento? S/N", "Apagamento cancelado"});
  EXPECT_FALSE(Called(leave, "write"));

  Script() = {};
  Script().lines = {"MEUDISCO", src_};
  ScriptedLayer no(With([&](test::DriveScript& s) { s.discs = {rw}; }));
  EXPECT_EQ(Run(no, {'x', 'N', 27}), 0);
  ExpectSaid({"O disco n\xe3o est\xe1 vazio. Apagar o disco? S/N",
              "O disco n\xe3o est\xe1 vazio. Apagar o disco? S/N", kInsert});
  ExpectCalls(no, {"grab /dev/sr0", "eject"});
  EXPECT_FALSE(Called(no, "erase fast"));
  EXPECT_FALSE(Called(no, "write"));
}

TEST_F(DriveTest, ClosedCdRIsEjectedAndAnotherDiscAskedFor) {
  ScriptedLayer layer(With([&](test::DriveScript& s) {
    s.discs = {Disc(DiscStatus::Full, 0x09, "CD-R"), ScriptedDisc{}};
  }));
  EXPECT_EQ(Run(layer, {13}), 0);
  ExpectSaid({"Este disco j\xe1 foi gravado e n\xe3o pode ser apagado", kInsert, kStarted,
              kFinished, kVerified});
  ExpectCalls(layer, {"grab /dev/sr0", "eject", "grab /dev/sr0", "write", "eject"});
  EXPECT_FALSE(Called(layer, "erase fast"));
}

TEST_F(DriveTest, EmptyDriveWaitsForADiscAndKeepsTheAnswers) {
  ScriptedLayer layer(With([&](test::DriveScript& s) {
    s.discs = {Disc(DiscStatus::Empty, 0, ""), ScriptedDisc{}};
  }));
  EXPECT_EQ(Run(layer, {' ', 13}), 0);
  ExpectSaid({"N\xe3o h\xe1 disco no gravador", kInsert, kInsert, kStarted, kFinished, kVerified});
  ExpectCalls(layer, {"grab /dev/sr0", "release", "grab /dev/sr0", "write", "eject"});
  // Nothing was asked again: the disc name typed first is the one on the disc.
  EXPECT_EQ(std::count(Script().said.begin(), Script().said.end(), "Nome do CD (12 letras): "), 1);
  test::WriteFile(tmp_ / "disc.iso", layer.written);
  EXPECT_NE(test::VolumeInfo(tmp_ / "disc.iso").find("Volume Id    : MEUDISCO"), std::string::npos);
}

TEST_F(DriveTest, DiscSpinningUpIsWaitedForBeforeItIsJudged) {
  ScriptedDisc slow;
  slow.unreadyLooks = 3;
  ScriptedLayer layer(With([&](test::DriveScript& s) { s.discs = {slow}; }));
  EXPECT_EQ(Run(layer, {}), 0);
  ExpectSaid({kStarted, kFinished, kVerified});
  EXPECT_FALSE(Said("Este disco n\xe3o serve para grava\xe7\xe3o"));
  ExpectCalls(layer, {"reassess", "reassess", "reassess", "write"});
  // Once a second: three seconds of waiting, not the whole twenty.
  EXPECT_GE(Script().pausedMs, 3000);
  EXPECT_LT(Script().pausedMs, 8000);

  // A disc that never becomes ready is judged after twenty seconds.
  Script() = {};
  Script().lines = {"MEUDISCO", src_};
  ScriptedDisc never;
  never.unreadyLooks = 1000;
  ScriptedLayer stuck(With([&](test::DriveScript& s) { s.discs = {never}; }));
  EXPECT_EQ(Run(stuck, {27}), 0);
  ExpectSaid({"Este disco n\xe3o serve para grava\xe7\xe3o", kInsert});
  EXPECT_GE(Script().pausedMs, 20000);
  EXPECT_FALSE(Called(stuck, "write"));
}

TEST_F(DriveTest, MountedDiscIsUnmountedThroughUdisksBeforeTheGrab) {
  const std::string log = tmp_ / "udisks.log";
  const std::string fake = tmp_ / "udisksctl";
  // The stand-in notes its arguments and takes the mount out of the table.
  test::WriteFile(fake,
                  "#!/bin/sh\necho \"$@\" >> '" + log + "'\n: > '" + tmp_ / "mountinfo" + "'\n");
  chmod(fake.c_str(), 0755);
  const std::string mounted =
      "36 25 11:0 / /media/ana/BACKUP\\0402024 ro,nosuid - iso9660 /dev/sr0 ro\n";
  test::WriteFile(tmp_ / "mountinfo", mounted);
  EXPECT_EQ(MountPointsOf("/dev/sr0"), std::vector<std::string>{"/media/ana/BACKUP 2024"});
  SetUnmountProgram(fake);
  ScriptedLayer layer(
      With([&](test::DriveScript& s) { s.discs = {Disc(DiscStatus::Full, 0x1a, "DVD+RW")}; }));
  EXPECT_EQ(Run(layer, {}), 0);
  ExpectSaid({"O disco est\xe1 aberto no sistema", kStarted, kFinished, kVerified});
  EXPECT_EQ(test::ReadFile(log), "unmount --no-user-interaction -b /dev/sr0\n");
  ExpectCalls(layer, {"grab /dev/sr0", "write", "eject"});

  // Without udisks the user is told to eject it, and nothing is grabbed meanwhile.
  Script() = {};
  Script().lines = {"MEUDISCO", src_};
  test::WriteFile(tmp_ / "mountinfo", mounted);
  SetUnmountProgram(tmp_ / "missing/udisksctl");
  ScriptedLayer alone(
      With([&](test::DriveScript& s) { s.discs = {Disc(DiscStatus::Full, 0x1a, "DVD+RW")}; }));
  EXPECT_EQ(Run(alone, {27}), 0);
  ExpectSaid({"O disco est\xe1 aberto no sistema",
              "N\xe3o foi poss\xedvel fechar o disco; ejete o disco pelo sistema", kInsert});
  EXPECT_FALSE(Called(alone, "grab /dev/sr0"));
}

TEST_F(DriveTest, UnformattedBdReIsFormattedFirst) {
  ScriptedDisc bd = Disc(DiscStatus::Blank, 0x43, "BD-RE");
  bd.formats = FormatState::Unformatted;
  ScriptedLayer layer(With([&](test::DriveScript& s) { s.discs = {bd}; }));
  EXPECT_EQ(Run(layer, {}), 0);
  ExpectSaid({"Formatando o disco, aguarde", "Preparando a grava\xe7\xe3o, aguarde", kStarted,
              kFinished, kVerified});
  ExpectCalls(layer, {"grab /dev/sr0", "format", "reassess", "write", "eject"});
  ExpectDiscHoldsSource(layer);
}

TEST_F(DriveTest, DriveLostMidBurnIsNeitherReleasedNorFreed) {
  ScriptedLayer layer(With([&](test::DriveScript& s) { s.loseAtPercent = 40; }));
  EXPECT_EQ(Run(layer, {}), 0);
  ExpectSaid({kStarted, "25 por cento", "Erro de grava\xe7\xe3o", "O gravador foi desconectado"});
  EXPECT_FALSE(Said(kFinished));
  ExpectCalls(layer, {"write", "lost"});
  EXPECT_FALSE(Called(layer, "eject"));
  EXPECT_FALSE(Called(layer, "release of a lost drive"));
  EXPECT_FALSE(Called(layer, "destroyed while the worker runs"));
  // The worker goes on touching its job; under ASan a freed one would be reported.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

TEST_F(DriveTest, BusyDriveIsSaidSoAtOnceAndTriedAgain) {
  ScriptedLayer layer(With([&](test::DriveScript& s) { s.busyGrabs = 1; }));
  EXPECT_EQ(Run(layer, {13}), 0);
  ExpectSaid({"O gravador est\xe1 sendo usado por outro programa", kInsert, kStarted, kFinished});
  EXPECT_EQ(std::count(layer.calls.begin(), layer.calls.end(), "grab /dev/sr0"), 2);
}

TEST_F(DriveTest, DriveTheUserMayNotOpenIsSaidWithoutTryingIt) {
  const std::string device = tmp_ / "sr0";
  test::WriteFile(device, "");
  chmod(device.c_str(), 0600);
  ScriptedLayer layer(With([&](test::DriveScript& s) { s.address = device; }));
  int code = -1;
  {
    test::Unprivileged nobody;
    if (!nobody.ok() || faccessat(AT_FDCWD, device.c_str(), W_OK, AT_EACCESS) == 0)
      GTEST_SKIP() << "cannot drop rights";
    code = Run(layer, {});
  }
  EXPECT_EQ(code, 0);
  ExpectSaid({"Insira o CD e aperte Enter quando pronto",
              "Sem permiss\xe3o para usar o gravador: o usu\xe1rio precisa estar no grupo cdrom"});
  EXPECT_FALSE(Called(layer, "grab " + device));
  EXPECT_FALSE(Said(kStarted));
}

TEST_F(DriveTest, DiscTooSmallIsEjectedAndABiggerOneTaken) {
  ScriptedDisc small;
  small.capacity = 512 * 1024;
  ScriptedLayer layer(With([&](test::DriveScript& s) { s.discs = {small, ScriptedDisc{}}; }));
  EXPECT_EQ(Run(layer, {13}), 0);
  ExpectSaid({"Preparando a grava\xe7\xe3o, aguarde", "O diret\xf3rio tem 2 megabytes e o disco 0",
              kInsert, kStarted, kFinished, kVerified});
  ExpectCalls(layer, {"grab /dev/sr0", "eject", "grab /dev/sr0", "write", "eject"});
  ExpectDiscHoldsSource(layer);
}

TEST_F(DriveTest, DefectiveDiscDuringTheBurnIsSaidAndEjected) {
  ScriptedLayer layer(With([&](test::DriveScript& s) {
    s.writeWorks = false;
    s.writeMessages = {{0x0002011d, 5, "FATAL", "SCSI error on write"}};
  }));
  EXPECT_EQ(Run(layer, {}), 0);
  ExpectSaid({kStarted, "Erro de grava\xe7\xe3o",
              "O disco tem defeito ou n\xe3o serve para grava\xe7\xe3o"});
  EXPECT_FALSE(Said(kFinished));
  EXPECT_EQ(Script().remembered, 0);
  ExpectCalls(layer, {"write", "eject"});
}

}  // namespace
}  // namespace mg
