// Test-only hooks of the console, switched on by environment variables. With none of
// them set they do nothing. End-to-end tests of the console and of later modules use
// them to type into the real program and to read back what it shows.
//
// MG_SCREEN_DUMP=<file>
//   At ConsoleDone (and at any other end of the program while the window is open, and
//   on the key script's `dump`), the screen is written to <file>:
//     lines 1-25   the 80 characters of each row, cp1252 converted to UTF-8
//     line 26      "attributes"
//     lines 27-51  the 80 attributes of each row, two hex digits each
//     line 52      "cursor <column> <row>", both from 1
//
// MG_SCREENSHOT=<file.bmp>
//   At the same moments, the window's picture (cells, overlay, caret) as a BMP file.
//
// MG_KEY_SCRIPT=<file>
//   Whenever the program waits for a key and none is waiting, the next lines of the
//   script are turned into real SDL events (pushed on the event queue, so the whole
//   decoding path runs), up to and including the next line that makes events:
//     text <characters>      key down, text input and key up for each character (UTF-8)
//     key <name> [mods]      key down and key up; <name> as SDL names keys ("F9",
//                            "Return", "Escape", "Left", "A"); mods like ctrl+shift+alt
//     down <name> [mods]     key down only (braille chords)
//     up <name> [mods]       key up only
//     mouse left|middle|right   a button press
//     wheel up|down|none     a wheel turn (up = away from the user)
//     close                  the window's close button
//     quit                   the quit message
//     wait <ms>              pause, servicing messages
//     dump                   write MG_SCREEN_DUMP and MG_SCREENSHOT now
//   Blank lines and lines starting with '#' are skipped. When the script has ended
//   and the program waits for a key, the dump and picture are written, a note goes to
//   stderr and the program ends with exit status 3.
#pragma once

#include <string>

namespace mg {

// Writes the screen dump (format above) to a Linux path; false when it cannot.
bool WriteScreenDump(const std::string& path);
// Writes the window's picture as BMP; false when there is no window or it cannot.
bool WriteScreenshot(const std::string& path);

}  // namespace mg
