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

void ShutDown() {
  // With a drive still held by libburn's worker, the library stays up until the
  // process is gone.
  if (ReleaseDrivesForExit()) burn::burn_finish();
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
  int code = 0, id = 0;
  char text[ISO_MSGS_MESSAGE_LEN];
  char sev[80];
  Drives().DropMessages();
  iso_obtain_msgs(const_cast<char*>("NEVER"), &code, &id, text, sev);
}

std::string TakeBurnMessage() {
  if (!g_ready) return {};
  DriveMessage m;
  return Drives().TakeMessage(m) ? m.text : std::string();
}

std::vector<DriveMessage> TakeDriveMessages() {
  std::vector<DriveMessage> all;
  if (!g_ready) return all;
  DriveMessage m;
  // Bounded: a layer that never runs dry cannot hold the program.
  while (all.size() < 64 && Drives().TakeMessage(m)) all.push_back(m);
  return all;
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
  const std::vector<DriveMessage> messages = TakeDriveMessages();
  const std::string text = messages.empty() ? fallback : messages.front().text;
  const std::string trouble = TroubleSentence(TroubleOf(messages));
  throw DiscFailure(context + ": " + text, trouble.empty() ? spoken : trouble);
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

}  // namespace mg::burnlib
