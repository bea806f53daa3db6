// Getting a disc that can be written: the chosen recorder is grabbed (after the
// desktop's mount of its disc is undone), a disc still spinning up is waited for, a
// rewritable disc with data is erased when the user says so, a medium that must be
// formatted is formatted, and for an empty drive or a disc that cannot be used the user
// is told what is wrong and asked for another disc. Every answer typed before is kept.
// Main thread only; speaks and reads keys.
#pragma once

#include <string>

#include "recording/discservice.h"

namespace mg {

enum class DiscReady { Ready, Left, Cancelled };

// Grabs the recorder at `address` into `recorder` and loops until its disc can be
// written from the start (Ready), the user pressed Esc at "Insira o disco e aperte
// Enter, ou Esc para sair" or the recorder cannot be used at all (Left), or the user
// cancelled an erase or a format (Cancelled).
DiscReady PrepareDisc(DiscRecorder& recorder, const std::string& address);

// "Insira o disco e aperte Enter, ou Esc para sair": true on Enter, false on Esc.
bool AskForDisc();

// A yes/no question answered by one key: true for S, false for N or Esc; any other
// key asks again.
bool AskYesNo(const std::string& question);

// After a failure: the tray is opened when a disc is in the drive (the recorder is
// released then); an image file or an empty drive is only released.
void EjectAfterFailure(DiscRecorder& recorder);

}  // namespace mg
