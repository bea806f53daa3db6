// What the drive's messages mean to the user, and the mount table as the kernel writes it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <chrono>

#include "recording/drivetrouble.h"
#include "recording/mounts.h"
#include "testutil.h"

namespace mg {
namespace {

TEST(DriveTrouble, MessagesAreSortedByWhatTheUserCanDo) {
  const auto of = [](int code, int err) { return TroubleOf(DriveMessage{code, err, "", ""}); };
  EXPECT_EQ(of(0x00020005, EACCES), DriveTrouble::NoPermission);
  EXPECT_EQ(of(0x00020005, EBUSY), DriveTrouble::Busy);
  EXPECT_EQ(of(0x00020008, 0), DriveTrouble::Busy);
  EXPECT_EQ(of(0x0002010c, 0), DriveTrouble::Disconnected);
  EXPECT_EQ(of(0x0002011d, ENODEV), DriveTrouble::Disconnected);
  EXPECT_EQ(of(0x00020168, 0), DriveTrouble::NeedsFormatting);
  EXPECT_EQ(of(0x0002011d, EIO), DriveTrouble::BadDisc);
  EXPECT_EQ(of(0x00020003, 0), DriveTrouble::None);
  // The first message that names a trouble speaks for the run.
  EXPECT_EQ(TroubleOf({{0x00020003, 0, "", ""}, {0x00020168, 0, "", ""}, {0x0002010c, 0, "", ""}}),
            DriveTrouble::NeedsFormatting);
  EXPECT_EQ(TroubleSentence(DriveTrouble::None), "");
}

TEST(Mounts, DeviceIsFoundBySourceOrByDeviceNumber) {
  test::TempDir tmp;
  SetMountTable(tmp / "mountinfo");
  // /dev/null's numbers stand in for a block device's: only a block device is matched
  // by number, so this line must not count.
  struct stat null {};
  ASSERT_EQ(stat("/dev/null", &null), 0);
  test::WriteFile(tmp / "mountinfo",
                  "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                  "40 22 " +
                      std::to_string(major(null.st_rdev)) + ":" +
                      std::to_string(minor(null.st_rdev)) +
                      " / /mnt/x rw - tmpfs tmpfs rw\n"
                      "41 22 11:0 / /media/a\\134b rw shared:5 - udf /dev/sr1 ro\n"
                      "garbage line\n");
  EXPECT_TRUE(MountPointsOf("/dev/null").empty());
  EXPECT_EQ(MountPointsOf("/dev/sr1"), std::vector<std::string>{"/media/a\\b"});
  EXPECT_TRUE(MountPointsOf("/dev/sr0").empty());
}

TEST(Mounts, UnmountHasADeadline) {
  test::TempDir tmp;
  test::WriteFile(tmp / "slow", "#!/bin/sh\nexec sleep 30\n");
  chmod((tmp / "slow").c_str(), 0755);
  SetUnmountProgram(tmp / "slow");
  const auto start = std::chrono::steady_clock::now();
  int serviced = 0;  // the caller's window and keys are looked after all along the wait
  EXPECT_EQ(Unmount("/dev/sr0", 1, [&serviced] { ++serviced; }), UnmountResult::TimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_GT(serviced, 10);
  SetUnmountProgram(tmp / "absent");
  EXPECT_EQ(Unmount("/dev/sr0", 5), UnmountResult::NoProgram);
  test::WriteFile(tmp / "fails", "#!/bin/sh\nexit 1\n");
  chmod((tmp / "fails").c_str(), 0755);
  SetUnmountProgram(tmp / "fails");
  EXPECT_EQ(Unmount("/dev/sr0", 5), UnmountResult::Failed);
}

}  // namespace
}  // namespace mg
