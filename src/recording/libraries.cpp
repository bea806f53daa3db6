#include "recording/libraries.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "recording/discfailure.h"

namespace mg::burnlib {
namespace {

bool g_ready = false;
bool g_finished = false;
std::vector<burn::burn_drive_info*> g_drives;

// Cancels what still runs on a drive and waits (at most about a minute) until it is idle.
void StopDrive(burn::burn_drive* d) {
  if (burn::burn_drive_get_status(d, nullptr) == burn::BURN_DRIVE_IDLE) return;
  burn::burn_drive_cancel(d);
  for (int i = 0; i < 600 && burn::burn_drive_get_status(d, nullptr) != burn::BURN_DRIVE_IDLE;
       ++i) {
    usleep(100000);
  }
}

void ShutDown() {
  for (burn::burn_drive_info* info : g_drives) {
    StopDrive(info[0].drive);
    burn::burn_drive_release(info[0].drive, 0);
    burn::burn_drive_info_free(info);
  }
  g_drives.clear();
  burn::burn_finish();
  iso_finish();
  g_finished = true;
}

}  // namespace

void EnsureLibraries() {
  if (g_ready) return;
  if (g_finished) throw DiscFailure("Serviço de gravação já encerrado");
  if (iso_init() < 0) throw DiscFailure("libisofs não pôde ser iniciada");
  if (!burn::burn_initialize()) {
    iso_finish();
    throw DiscFailure("libburn não pôde ser iniciada");
  }
  // No burn_set_signal_handling(): libburn then leaves every signal disposition alone.
  burn::burn_msgs_set_severities(const_cast<char*>("SORRY"), const_cast<char*>("NEVER"),
                                 const_cast<char*>("minigravador: "));
  iso_set_msgs_severities(const_cast<char*>("SORRY"), const_cast<char*>("NEVER"),
                          const_cast<char*>("minigravador: "));
  // Default is FAILURE: a file that cannot be read (MISHAP) would become zeros on the disc.
  iso_set_abort_severity(const_cast<char*>("SORRY"));
  iso_set_local_charset(const_cast<char*>("UTF-8"), 0);
  g_ready = true;
  std::atexit(ShutDown);
}

void DrainMessages() {
  if (!g_ready) return;
  int code = 0, err = 0, id = 0;
  char text[BURN_MSGS_MESSAGE_LEN + ISO_MSGS_MESSAGE_LEN];
  char sev[80];
  burn::burn_msgs_obtain(const_cast<char*>("NEVER"), &code, text, &err, sev);
  iso_obtain_msgs(const_cast<char*>("NEVER"), &code, &id, text, sev);
}

std::string TakeBurnMessage() {
  if (!g_ready) return {};
  int code = 0, err = 0;
  char text[BURN_MSGS_MESSAGE_LEN + 1] = {};
  char sev[80] = {};
  if (burn::burn_msgs_obtain(const_cast<char*>("SORRY"), &code, text, &err, sev) <= 0) return {};
  text[BURN_MSGS_MESSAGE_LEN] = '\0';
  return text;
}

std::string TakeIsoMessage() {
  if (!g_ready) return {};
  int code = 0, id = 0;
  char text[ISO_MSGS_MESSAGE_LEN + 1] = {};
  char sev[80] = {};
  if (iso_obtain_msgs(const_cast<char*>("SORRY"), &code, &id, text, sev) <= 0) return {};
  text[ISO_MSGS_MESSAGE_LEN] = '\0';
  return text;
}

void FailIso(const std::string& context, int isoError) {
  std::string text = TakeIsoMessage();
  if (text.empty()) {
    const char* m = iso_error_to_msg(isoError);
    text = m ? m : "erro desconhecido";
  }
  throw DiscFailure(context + ": " + text);
}

void FailBurn(const std::string& context, const std::string& fallback, const std::string& spoken) {
  std::string text = TakeBurnMessage();
  if (text.empty()) text = fallback;
  throw DiscFailure(context + ": " + text, spoken);
}

burn::burn_drive_info* GrabDrive(const std::string& address) {
  EnsureLibraries();
  DrainMessages();
  burn::burn_drive_info* info = nullptr;
  std::string adr = address;
  const int r = burn::burn_drive_scan_and_grab(&info, adr.data(), 1);
  if (r != 1 || info == nullptr) {
    if (info) burn::burn_drive_info_free(info);
    FailBurn(address, r == 0 ? "gravador não encontrado" : "gravador não pôde ser aberto");
  }
  g_drives.push_back(info);
  return info;
}

int64_t ImageFileSpace(const std::string& path) {
  int64_t own = 0;
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return -1;
    own = static_cast<int64_t>(st.st_blocks) * 512;
  }
  const size_t slash = path.find_last_of('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  struct statvfs fs {};
  if (statvfs(folder.c_str(), &fs) != 0) return -1;
  return static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize) + own;
}

void ReleaseDrive(burn::burn_drive_info* info, bool eject) {
  auto it = std::find(g_drives.begin(), g_drives.end(), info);
  if (it == g_drives.end()) return;  // released already (e.g. at exit)
  g_drives.erase(it);
  StopDrive(info[0].drive);
  burn::burn_drive_release(info[0].drive, eject ? 1 : 0);
  burn::burn_drive_info_free(info);
}

}  // namespace mg::burnlib
