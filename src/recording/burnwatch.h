// What the user meets while the disc is written, verified, erased or formatted: keys are
// taken and answered ("Gravando, aguarde"), the percentage is shown and said, and a
// request to end the program (close button, Alt+F4, Ctrl+Break) asks first ("Cancelar
// a gravação? S/N"). Main thread only.
#pragma once

#include <functional>
#include <string>

#include "recording/discservice.h"

namespace mg {

// The words and hooks of one long drive operation.
struct WatchedOperation {
  std::string row;                // the percentage row's label: "Gravação"
  std::string busy;               // the answer to a key: "Gravando, aguarde"
  std::string question;           // asked on an end request: "Cancelar a gravação? S/N"
  std::function<int()> progress;  // 0-100
  std::function<void()> cancel;   // called after "S"
};

class BurnWatch {
 public:
  // Takes over the end requests and the writer's pump until destroyed. `progress`: the
  // percentage is shown and said.
  BurnWatch(DataWriter& writer, bool progress);
  // The same for an operation the caller polls: it calls Pump() while waiting.
  BurnWatch(WatchedOperation operation, bool progress);
  ~BurnWatch();
  BurnWatch(const BurnWatch&) = delete;
  BurnWatch& operator=(const BurnWatch&) = delete;

  // Pauses a little and answers keys, end requests and the percentage.
  void Pump();
  // The write ended well: the row shows 100 % (a short write may end between two looks).
  void Written();
  // From now on the writer verifies: no percentage.
  void Verifying() { verifying_ = true; }
  // Ends the percentage row and discards waiting keys, so that the result is heard.
  void Finish();

 private:
  void TakeKeys();
  bool AskToCancel();  // true when the user chose to cancel
  void ShowProgress();

  DataWriter* writer_ = nullptr;
  WatchedOperation op_;
  bool speakProgress_;  // show and say the percentage
  bool verifying_ = false;
  bool cancelled_ = false;  // the user said "S" to the question
  bool rowOpen_ = false;    // the percentage row is written and not yet ended
  int shown_ = -1;          // percentage on the row
  int said_ = 0;            // last multiple of 25 said
  long long lastAnswerMs_ = -1000000;
};

}  // namespace mg
