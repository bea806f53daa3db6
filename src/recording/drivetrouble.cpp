#include "recording/drivetrouble.h"

#include <cerrno>

namespace mg {
namespace {

// libburn's message codes (libdax_msgs registry).
constexpr int kCannotOpenBusy = 0x00020001;
constexpr int kFailedToOpen = 0x00020005;
constexpr int kFcntlLockBusy = 0x00020008;
constexpr int kTransportFailed = 0x0002010c;
constexpr int kScsiWriteError = 0x0002011d;
constexpr int kUnsuitableMedia = 0x0002011e;
constexpr int kDvdUnsuitable = 0x00020123;
constexpr int kNoWriteMode = 0x0002012b;
constexpr int kNoSuitableMedia = 0x0002013a;
constexpr int kAsyncScsiError = 0x0002014d;
constexpr int kNotFormatted = 0x00020168;
constexpr int kCloseFailed = 0x0002017e;

}  // namespace

DriveTrouble TroubleOf(const DriveMessage& m) {
  if (m.osErrno == EACCES || m.osErrno == EPERM) return DriveTrouble::NoPermission;
  if (m.osErrno == ENODEV || m.osErrno == ENXIO) return DriveTrouble::Disconnected;
  switch (m.code) {
    case kCannotOpenBusy:
    case kFcntlLockBusy:
      return DriveTrouble::Busy;
    case kFailedToOpen:
      return m.osErrno == EBUSY ? DriveTrouble::Busy : DriveTrouble::None;
    case kTransportFailed:
    case kAsyncScsiError:
      return DriveTrouble::Disconnected;
    case kNotFormatted:
      return DriveTrouble::NeedsFormatting;
    case kScsiWriteError:
    case kUnsuitableMedia:
    case kDvdUnsuitable:
    case kNoWriteMode:
    case kNoSuitableMedia:
    case kCloseFailed:
      return DriveTrouble::BadDisc;
    default:
      return m.osErrno == EBUSY ? DriveTrouble::Busy : DriveTrouble::None;
  }
}

DriveTrouble TroubleOf(const std::vector<DriveMessage>& messages) {
  for (const DriveMessage& m : messages) {
    if (const DriveTrouble t = TroubleOf(m); t != DriveTrouble::None) return t;
  }
  return DriveTrouble::None;
}

std::string TroubleSentence(DriveTrouble trouble) {
  switch (trouble) {
    case DriveTrouble::Disconnected:
      return "O gravador foi desconectado";
    case DriveTrouble::NeedsFormatting:
      return "O disco precisa ser formatado";
    case DriveTrouble::BadDisc:
      return "O disco tem defeito ou n\xe3o serve para grava\xe7\xe3o";
    case DriveTrouble::Busy:
      return "O gravador est\xe1 sendo usado por outro programa";
    case DriveTrouble::NoPermission:
      return kNoPermissionSentence;
    case DriveTrouble::None:
      break;
  }
  return "";
}

}  // namespace mg
