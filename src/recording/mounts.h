// Whether the desktop has mounted the disc in a drive, and unmounting it through udisks.
// Main thread only; the one child process is waited for with a deadline.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace mg {

// Where mounts are read and which program unmounts (tests point these elsewhere).
void SetMountTable(std::string path);         // default "/proc/self/mountinfo"
void SetUnmountProgram(std::string program);  // default "udisksctl", found on PATH

// The mount points of `device` (a device file; links followed), from the mount table:
// a mount whose source is that device, or whose device number is the device's.
std::vector<std::string> MountPointsOf(const std::string& device);

enum class UnmountResult { Done, Failed, NoProgram, TimedOut };

// Runs "<program> unmount --no-user-interaction -b <device>" (no shell) and waits at
// most `seconds`; a child still running then is killed. The program's output goes to
// standard error. `meanwhile`, when given, is called every 20 ms of the wait, so that the
// caller keeps the window serviced and answers keys (udisks may take seconds).
constexpr int kUnmountSeconds = 20;
UnmountResult Unmount(const std::string& device, int seconds = kUnmountSeconds,
                      const std::function<void()>& meanwhile = {});

}  // namespace mg
