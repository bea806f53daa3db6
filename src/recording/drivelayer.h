// The few drive calls the disc service and the dialogue's disc checks depend on: scan,
// grab, disc status, erase, format, write, drive status, messages, release. The real
// layer (drivelayer.cpp) is libburn; tests install a scripted drive of their own.
// Main thread only: a layer's own worker (libburn's burn thread) never calls back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct burn_source;  // libisofs' view of libburn's data source (burnlib.h casts)

namespace mg {

// What the drive holds, as libburn's burn_disc_status.
enum class DiscStatus { Unready, Blank, Empty, Appendable, Full, Ungrabbed, Unsuitable };

// What the drive is doing; Idle when nothing runs.
enum class DriveActivity { Idle, Writing, Erasing, Formatting, Busy };

// Formatting state of the medium (burn_disc_get_formats).
enum class FormatState { Unformatted, Formatted, Unknown, NotApplicable };

// One queued library message of severity SORRY or above.
struct DriveMessage {
  int code = 0;     // libburn's error code (0x0002xxxx)
  int osErrno = 0;  // errno behind it, 0 when none
  std::string severity;
  std::string text;
};

// A drive as the scan found it.
struct ScannedDrive {
  std::string address;  // persistent address ("/dev/sr0")
  std::string vendor;
  std::string product;
};

// What a write needs; the source is referenced by the layer until its job is freed.
struct WriteRequest {
  ::burn_source* source = nullptr;
  int speedKilobytes = 0;  // 0: the drive's choice
  int64_t tailBytes = 0;   // zeros written after the source (padding on CD media)
};

class Drive {
 public:
  virtual ~Drive() = default;
  virtual std::string Vendor() const = 0;
  virtual std::string Product() const = 0;
  virtual bool IsImageFile() const = 0;  // a stdio: pseudo-drive
  virtual DiscStatus Status() = 0;
  // Reads the medium's state again (after a disc change, an erase or a format).
  virtual void ReAssess() = 0;
  // The medium's profile number (0x09 CD-R, 0x0a CD-RW, 0x43 BD-RE ...) and name.
  virtual int Profile(std::string& name) = 0;
  virtual bool Erasable() = 0;
  virtual FormatState Formats() = 0;
  // Free bytes for a new session from the start (burn_disc_available_space).
  virtual int64_t AvailableSpace() = 0;
  // The long operations start and return at once; Activity reports them until Idle.
  virtual void StartErase(bool fast) = 0;
  virtual void StartFormat() = 0;
  // false (with a message queued) when no write type suits the disc; nothing started.
  virtual bool StartWrite(const WriteRequest& request) = 0;
  // Sectors done and in all of the running operation (0 and 0 when not known).
  virtual DriveActivity Activity(int64_t& done, int64_t& total) = 0;
  virtual bool WroteWell() = 0;
  virtual void Cancel() = 0;
  virtual void SetSpeed(int kilobytesPerSecond) = 0;
  // Exactly `size` bytes (whole blocks) from byte `offset` of the medium.
  virtual bool Read(int64_t offset, char* buffer, int64_t size) = 0;
  // Whether the layer's worker has truly finished with this drive and its last job;
  // false for a drive lost during a write. An unsettled drive must not be released or
  // destroyed: ParkDrive keeps it until the program exits.
  virtual bool Settled() = 0;
  // Gives the drive up (the tray opened when `eject`); waits (about a minute at most)
  // for a running operation to stop first. Only on a settled drive.
  virtual void Release(bool eject) = 0;
};

class DriveLayer {
 public:
  virtual ~DriveLayer() = default;
  // The optical drives there are (vendor and product as the scan read them).
  virtual std::vector<ScannedDrive> Scan() = 0;
  // The drive at a persistent address (device file or "stdio:<path>"), grabbed
  // exclusively; nullptr when it cannot be, with the reasons queued as messages.
  virtual std::unique_ptr<Drive> Grab(const std::string& address) = 0;
  // The oldest queued message (and every older one leaves the queue); false when none.
  virtual bool TakeMessage(DriveMessage& message) = 0;
  virtual void DropMessages() = 0;
};

// The layer in use: libburn's unless a test installed another (not owned).
DriveLayer& Drives();
void InstallDriveLayer(DriveLayer* layer);

// Keeps an unsettled drive (and whatever its job holds) alive until the program exits.
void ParkDrive(std::unique_ptr<Drive> drive);

}  // namespace mg
