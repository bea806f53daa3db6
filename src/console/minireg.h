// minireg: the few registry values the program reads, answered from Linux facts, and a
// text file for anything else.
//
// Well-known values:
//   HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders\AppData
//     -> $XDG_CONFIG_HOME, else ~/.config
//   HKEY_LOCAL_MACHINE\SOFTWARE\TCTS\Mbrola\databases\<name> (value <name>, or the default
//   value of key ...\databases\<name>) -> /usr/share/mbrola/<name>/<name> or
//   /usr/share/mbrola/<name>, when that file exists
// Any other value is looked up in minireg.ini (first in $XDG_CONFIG_HOME/Sonela, then in
// the Windows directory; $MINIREG_FILE overrides both): sections are full key paths such as
// [HKEY_CURRENT_USER\Software\Sonela], lines are name=text; "@" names the default value.
#pragma once

#include <string>
#include <string_view>

#include "console/sysconfig.h"

namespace mg {

// Root of the MBROLA voices; tests point it elsewhere.
void SetMbrolaRoot(std::string linuxDir);

}  // namespace mg
