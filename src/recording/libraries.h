// Start-up, message queues and drive bookkeeping shared by the disc service's handles.
// Main thread only; the libraries' own threads never call into this.
#pragma once

#include <string>

#include "recording/burnlib.h"
#include "recording/drivetrouble.h"

namespace mg::burnlib {

inline const std::string kRecorderUnusable = "O gravador n\xe3o pode ser usado";

// Initialises libburn and libisofs once: messages of severity SORRY and above are
// queued (nothing is printed), libisofs aborts an operation on SORRY and above instead
// of filling unreadable file data with zeros, file names are taken as UTF-8 whatever the
// locale, and no signal handler is installed. Throws DiscFailure when a library refuses.
void EnsureLibraries();

// Forgets queued messages, so that the next failure reports a message of its own.
void DrainMessages();

// The oldest queued message of severity SORRY or above ("" when there is none); it and
// every older message leave the queue.
std::string TakeBurnMessage();
std::string TakeIsoMessage();

// Every queued drive message, oldest first; the queue is emptied.
std::vector<DriveMessage> TakeDriveMessages();

// Throws DiscFailure "<context>: <first queued message>", falling back to the text of
// the libisofs error code (or to `fallback`) when the library queued nothing.
// `spoken` is what the user hears (DiscFailure::Spoken); a drive message that names a
// trouble the user can act on (drivetrouble.h) says that trouble instead.
[[noreturn]] void FailIso(const std::string& context, int isoError);
[[noreturn]] void FailBurn(const std::string& context, const std::string& fallback,
                           const std::string& spoken = {});

// Stops and releases every grabbed drive at exit (drivelayer.cpp); false when a drive
// lost during a write is still held by libburn's worker, so that the library must not
// be shut down under it.
bool ReleaseDrivesForExit();

// Room for an image file at `path`: the free space of its file system plus what the file
// holds now (it is replaced); -1 when not known (a device, an unreadable folder).
int64_t ImageFileSpace(const std::string& path);

}  // namespace mg::burnlib
