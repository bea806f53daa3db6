// Finding and reading the suite's configuration file without a window: the profile
// reader (Windows profile-file semantics), the small registry and IniDirectory.
#pragma once

#include <string>
#include <string_view>

namespace mg {

// GetPrivateProfileString: section and key compared without regard to case, the first
// match wins; the value has blanks trimmed from both ends and one pair of enclosing
// quotes (" or ') removed; the result is cut to bufferSize - 1 characters. A missing
// file, section or key gives `defaultValue`. `file` is a suite path (ToLinuxPath).
std::string ReadProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::string_view file,
                              size_t bufferSize = 255);

// Forgets cached file contents (tests that rewrite a Sonela.ini call it).
void FlushProfileCache();

enum class RegistryRoot { CurrentUser, LocalMachine };

// Path = key path, backslash, value name. Well-known keys are answered from Linux facts;
// any other key from the text registry file (see minireg.h).
bool ReadRegistryString(RegistryRoot root, std::string_view path, std::string& text);

// Directory of Sonela.ini without trailing backslash (callers append "\Sonela.ini").
std::string IniDirectory();

}  // namespace mg
