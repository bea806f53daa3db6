// What the program remembers for the user between runs (the last folder recorded, the
// speech speed): a small file of KEY=value lines in $XDG_CONFIG_HOME/minigravador/estado
// (else ~/.config/minigravador/estado). Sonela.ini is never written.
//
// Called on the main thread only. Values are bytes as given (a folder's Linux path, a
// number); a value holding a line break or NUL is refused. A missing, unreadable or
// oversized file reads as empty; a damaged line is skipped. Writes replace the file
// atomically (temporary file, fsync, rename), keeping every other key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mg {

// The state file's full path (the folder may not exist yet).
std::string UserStatePath();

// The value stored under `key`, or nothing when the file or the key is absent.
std::optional<std::string> ReadUserState(std::string_view key);

// Stores `value` under `key`, creating the folder when needed. Returns false (and leaves
// the old file as it was) when the value is refused or the file cannot be written.
bool WriteUserState(std::string_view key, std::string_view value);

}  // namespace mg
