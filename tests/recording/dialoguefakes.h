// Stand-ins for the speech manager and the console under the recording dialogue: what
// is said is recorded, answers and keys come from the test, and the program's end is
// an exception the test catches. No window, no sound, no waiting in real time.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace mg::test {

struct ProgramEnded {
  int exitCode;
};

struct DialogueScript {
  std::deque<std::string> lines;  // answers to ReadLineSpoken / ReadIntegerSpoken (cp1252)
  std::deque<int> keys;           // ReadKey codes; running out ends the program (code 3)
  std::vector<std::string> said;  // SpeakLine and SpeakText, in order (cp1252)
  long long pausedMs = 0;         // PauseMs total
  // The window's close button is pressed at this PauseMs call (0: never), when a
  // handler takes end requests then.
  int closeAtPause = 0;
  int pauses = 0;
  int remembered = 0;  // RememberLastFolder calls (after a folder was burned)
};

DialogueScript& Script();

// Gives the dialogue its own configuration under `folder` (the [GRAVADOR] key IMAGEM set
// to `imageFile`, empty for no image-file recorder) and an empty mount table.
void UseDialogueConfig(const std::string& folder, const std::string& imageFile);

// Runs the recording dialogue to its end with the script's answers and keys (the insert
// prompt's Enter is given); returns the exit code.
int RunDialogue();

}  // namespace mg::test
