// A drive layer that plays a drive's life from a script: the discs that come into it one
// after the other (each grab after the first finds the next), their states, the
// progress of erase, format and write, libburn message codes, and a drive lost in the
// middle of a write. Every call is noted, in order, for the tests to check.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "recording/drivelayer.h"

namespace mg::test {

struct ScriptedDisc {
  DiscStatus status = DiscStatus::Blank;
  int unreadyLooks = 0;  // Unready for this many re-assessments first
  int profile = 0x09;    // CD-R
  std::string profileName = "CD-R";
  bool erasable = false;
  FormatState formats = FormatState::NotApplicable;
  int64_t capacity = 700LL * 1024 * 1024;
  // Erase and format: what the drive reports afterwards.
  bool eraseWorks = true;
  bool formatWorks = true;
};

struct DriveScript {
  std::string address = "/dev/sr0";
  std::string vendor = "HL-DT-ST";
  std::string product = "DVDRAM GH24NSD1";
  std::vector<ScriptedDisc> discs{ScriptedDisc{}};
  int busyGrabs = 0;       // the first grabs fail as a drive busy with another program
  int loseAtPercent = -1;  // the drive disappears when the write reaches this
  bool writeWorks = true;  // false: the write ends with a defective disc's message
  std::vector<DriveMessage> writeMessages;  // queued when the write fails
};

class ScriptedLayer : public DriveLayer {
 public:
  explicit ScriptedLayer(DriveScript script);
  ~ScriptedLayer() override;
  std::vector<ScannedDrive> Scan() override;
  std::unique_ptr<Drive> Grab(const std::string& address) override;
  bool TakeMessage(DriveMessage& message) override;
  void DropMessages() override;

  // Every call made, in order ("grab /dev/sr0", "status", "erase fast", "eject" ...).
  std::vector<std::string> calls;
  // What the last write put on the disc.
  std::string written;
  void Note(const std::string& call) { calls.push_back(call); }
  void Queue(DriveMessage m) { messages_.push_back(std::move(m)); }
  DriveScript script;
  size_t disc = 0;  // index of the disc in the drive
  int grabs = 0;

 private:
  std::vector<DriveMessage> messages_;
};

// Whether `calls` holds `wanted` in this order (others may come between).
bool InOrder(const std::vector<std::string>& calls, const std::vector<std::string>& wanted,
             std::string& missing);

}  // namespace mg::test
