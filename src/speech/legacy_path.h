// Speaking a text without a system synthesizer: recorded numbers and characters, and
// the legacy translator for runs of words. Synchronous; a waiting key ends it.
#pragma once

#include <string_view>

namespace mg {

void SpeakTextLegacyPath(std::string_view text);

}  // namespace mg
