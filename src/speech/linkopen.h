// Opening the word under the editor's cursor (F12): a web address with the configured
// browser, a file with the program configured for its extension or the desktop's own
// association (xdg-open), a program by its path. Always fork/exec with an argument
// vector; no shell ever sees the user's text.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mg {

struct LinkCommand {
  std::vector<std::string> argv;  // UTF-8, argv[0] is the program
  std::string directory;          // working directory (Linux path)
};

// Reads SONELA/PROG.<key> ("HTM" for web addresses, else the upper-cased extension).
using LinkProgramReader = std::function<std::string(std::string_view key)>;

// What opening `word` (cp1252) runs, with `directory` the current directory.
LinkCommand ResolveLink(std::string_view word, const std::string& directory,
                        const LinkProgramReader& readProgram);

// Starts the command detached from the program; false when it could not be started
// (missing program, no permission).
using LinkLauncher = std::function<bool(const LinkCommand&)>;
bool LaunchDetached(const LinkCommand& command);
// Replaces the launcher (tests record the command instead); empty restores fork/exec.
void SetLinkLauncher(LinkLauncher launcher);

// Waits for speech, starts the command for `word` and waits for speech again; a command
// that cannot be started sounds the beep.
void OpenLink(std::string_view word);

}  // namespace mg
