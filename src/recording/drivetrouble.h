// What a drive's messages mean to the user: libburn's message codes (and the errno
// behind them) sorted into the few troubles a user can act on, each with its sentence.
#pragma once

#include <string>
#include <vector>

#include "recording/drivelayer.h"

namespace mg {

enum class DriveTrouble { None, Disconnected, NeedsFormatting, BadDisc, Busy, NoPermission };

DriveTrouble TroubleOf(const DriveMessage& message);

// The most telling trouble of a run of messages (the first that names one).
DriveTrouble TroubleOf(const std::vector<DriveMessage>& messages);

// The short sentence for a trouble (cp1252); "" for None.
std::string TroubleSentence(DriveTrouble trouble);

inline const std::string kNoPermissionSentence =
    "Sem permiss\xe3o para usar o gravador: o usu\xe1rio precisa estar no grupo cdrom";

}  // namespace mg
