// minigravador: names a disc and a directory, and burns the directory.
#include "console/console.h"
#include "recording/dialogue.h"

int main() {
  mg::BindStandardStreams();
  mg::RunRecordingDialogue();
}
