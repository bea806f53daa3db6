// Where the program stands on disk, and the one conversion from the suite's
// Windows-style paths ("c:\winsonela\som", cp1252) to Linux paths (UTF-8).
#pragma once

#include <string>
#include <string_view>

namespace mg {

// Backslashes become slashes; a leading drive "X:" is replaced by that drive's root
// (default "/"); a leading "~" is the home directory; cp1252 becomes UTF-8.
std::string ToLinuxPath(std::string_view path);

// Maps a drive letter to a Linux directory for ToLinuxPath.
void SetDriveRoot(char letter, std::string root);

// The executable's full path and directory (no trailing separator), cp1252.
std::string ProgramPath();
std::string ProgramDirectory();

// The "Windows directory", the folder of the shipped Sonela.ini (cp1252, no trailing
// separator): WindowsDirectoryFor the executable's directory.
std::string WindowsDirectory();
// For a program in `programDir` (a Linux path) installed under the prefix <p> =
// programDir/..: /etc/minigravador when <p> is /usr, else <p>/etc/minigravador. When that
// folder holds no Sonela.ini, a /usr tree under another root (a package staged with
// DESTDIR or unpacked elsewhere) uses <root>/etc/minigravador, and the build tree uses
// <p>/etc, whichever holds one.
std::string WindowsDirectoryFor(const std::string& programDir);
// Replaces the Windows directory (tests; an empty text restores the default).
void SetWindowsDirectory(std::string dir);

// $HOME, else the password database's home, else "/".
std::string HomeDirectory();

bool FileExists(std::string_view linuxPath);
bool DirectoryExists(std::string_view linuxPath);

}  // namespace mg
