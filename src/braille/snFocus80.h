// snFocus80: the braille display, reached through BRLTTY's BrlAPI. The console calls
// the opener once its window exists (SetBrailleDisplayOpener); from then on the row
// last drawn or holding the cursor is shown on the display in braille, and the
// display's keys arrive in the key buffer as key codes. Without BRLTTY, without a
// display or without cells, nothing happens and no message is shown. A display that was
// active and is lost (BRLTTY restarted or gone) is looked for again, half a second
// later, then twice as long after every failure up to 8 s, until it is back; meanwhile
// the console works on without it. Everything here runs on the main thread; only the
// connection's first steps run on a short-lived thread of their own, so that a BRLTTY
// that does not answer cannot hold up the program. Its result comes back through the
// console's hand-over queue and is taken while messages are serviced (the opener waits
// for it in a message wait of at most 3 s).
#pragma once

#include <string>

namespace mg {

// Registers OpenBrailleDisplay as the console's display opener. Call before the window
// opens.
void InstallBrailleDisplay();

// Connects to BrlAPI (default host and authorisation: BRLAPI_HOST, BRLAPI_AUTH or the
// installation's), takes the display's size, enters tty mode and starts showing rows
// and taking keys. Returns whether a display is active. Called by the console.
bool OpenBrailleDisplay();

// The display is active: rows reach it and its keys are taken.
bool BrailleDisplayActive();
// "<driver name> <cell count>", empty while no display is active.
std::string BrailleDisplayDescription();
int BrailleDisplayCells();

}  // namespace mg
