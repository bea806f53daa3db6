// Start-up, message queues and drive bookkeeping shared by the disc service's handles.
// Main thread only; the libraries' own threads never call into this.
#pragma once

#include <string>

#include "recording/burnlib.h"

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

// Throws DiscFailure "<context>: <first queued message>", falling back to the text of
// the libisofs error code (or to `fallback`) when the library queued nothing.
// `spoken` is what the user hears (DiscFailure::Spoken).
[[noreturn]] void FailIso(const std::string& context, int isoError);
[[noreturn]] void FailBurn(const std::string& context, const std::string& fallback,
                           const std::string& spoken = kRecorderUnusable);

// Grabs the drive at a persistent address (a device file or "stdio:<path>"); throws
// DiscFailure. The drive stays registered until ReleaseDrive, and a drive still
// registered when the program exits is released then (a running burn is cancelled and
// waited for first), so that exiting mid-burn never leaves a drive locked.
burn::burn_drive_info* GrabDrive(const std::string& address);

// Room for an image file at `path`: the free space of its file system plus what the file
// holds now (it is replaced); -1 when not known (a device, an unreadable folder).
int64_t ImageFileSpace(const std::string& path);
void ReleaseDrive(burn::burn_drive_info* info, bool eject);

}  // namespace mg::burnlib
