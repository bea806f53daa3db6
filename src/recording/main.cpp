// minigravador: names a disc and a directory, and burns the directory.
#include <cstdlib>
#include <iostream>

#include "braille/snFocus80.h"
#include "console/console.h"
#include "recording/dialogue.h"

namespace {

// The console's stream buffers are statics that are destroyed at exit before the
// standard streams' last flush; detaching them first keeps that flush off freed memory.
void DetachStandardStreams() {
  std::cout.rdbuf(nullptr);
  std::cin.rdbuf(nullptr);
}

}  // namespace

int main() {
  mg::InstallBrailleDisplay();
  mg::BindStandardStreams();
  std::atexit(DetachStandardStreams);
  mg::RunRecordingDialogue();
}
