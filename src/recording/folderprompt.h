// The directory question of the recording dialogue, answered by ear: Tab completes the
// folder name, Up and Down browse the folders, an empty answer offers the folder recorded
// last, a folder that is not there is asked for again. Runs on the main thread, in the
// console window, with the spoken line editor (which ends on Tab, Up and Down and hands
// the key back).
#pragma once

#include <optional>
#include <string>

namespace mg {

// Says "Nome do diretório a gravar" and reads the answer until it names an existing
// folder (or .iso file), or one that exists but cannot be entered. Returns the answer as
// cp1252 text for the directory check (a name under the home folder as "~/..."), or
// nothing when the user pressed Escape. The row below the field shows what is said about
// completion and browsing; it is cleared before the answer returns.
std::optional<std::string> AskSourceFolder();

// Stores the folder of the last answer as the last folder recorded (user state key
// ULTIMO_DIRETORIO). Called after a successful burn; false when it could not be stored.
bool RememberLastFolder();

}  // namespace mg
