#include "recording/burnwatch.h"

#include <chrono>
#include <iostream>
#include <string>

#include "console/console.h"
#include "speech/speech.h"

namespace mg {
namespace {

bool gEndRequested = false;

void NoteEndRequest() { gEndRequested = true; }

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Keys typed while the burn runs are taken out, so that none silences the result.
bool DiscardKeys() {
  bool any = false;
  while (KeyWaiting()) {
    ReadKey();
    any = true;
  }
  return any;
}

}  // namespace

BurnWatch::BurnWatch(DataWriter& writer, bool speakProgress)
    : BurnWatch(WatchedOperation{
                    "Grava\xe7\xe3o", "Gravando, aguarde", "Cancelar a grava\xe7\xe3o? S/N",
                    [&writer] { return writer.Progress(); }, [&writer] { writer.CancelWrite(); }},
                speakProgress) {
  writer_ = &writer;
  writer_->SetPump([this] { Pump(); });
}

BurnWatch::BurnWatch(WatchedOperation operation, bool speakProgress)
    : op_(std::move(operation)), speakProgress_(speakProgress) {
  gEndRequested = false;
  SetEndRequestHandler(NoteEndRequest);
}

BurnWatch::~BurnWatch() {
  SetEndRequestHandler(nullptr);
  if (writer_) writer_->SetPump([] { PauseMs(20); });
}

void BurnWatch::Finish() {
  if (rowOpen_) {
    std::cout << std::endl;
    rowOpen_ = false;
  }
  DiscardKeys();
}

void BurnWatch::Written() {
  if (!speakProgress_ || shown_ == 100) return;
  shown_ = 100;
  std::cout << "\r" << op_.row << ": 100%" << std::flush;
  ClearToLineEnd();
  rowOpen_ = true;
}

void BurnWatch::Pump() {
  PauseMs(50);
  TakeKeys();
  if (gEndRequested && AskToCancel()) cancelled_ = true;
  // After "S" the operation is being stopped: no more percentages.
  if (!verifying_ && !cancelled_) ShowProgress();
}

void BurnWatch::TakeKeys() {
  if (!DiscardKeys()) return;
  // One answer now and then, however many keys come.
  const long long now = NowMs();
  if (now - lastAnswerMs_ < 3000) return;
  lastAnswerMs_ = now;
  SpeakText(op_.busy);
}

bool BurnWatch::AskToCancel() {
  gEndRequested = false;
  if (rowOpen_) {
    std::cout << std::endl;
    rowOpen_ = false;
  }
  DiscardKeys();
  SpeakLine(op_.question);
  uint8_t key = ReadKey();
  if (key == 0) {
    ReadKey();  // the second code of an extended key: no answer
  }
  gEndRequested = false;
  if (key == 'S' || key == 's') {
    if (op_.cancel) op_.cancel();
    return true;
  }
  lastAnswerMs_ = NowMs();
  SpeakLine(op_.busy);
  shown_ = -1;
  return false;
}

void BurnWatch::ShowProgress() {
  if (!speakProgress_) return;
  const int percent = op_.progress ? op_.progress() : 0;
  if (percent != shown_) {
    shown_ = percent;
    // The percentage keeps one row, rewritten in place; it is the cursor's row, which
    // the braille display shows.
    std::cout << "\r" << op_.row << ": " << percent << "%" << std::flush;
    ClearToLineEnd();
    rowOpen_ = true;
  }
  const int step = percent / 25 * 25;
  if (step > said_ && step < 100) {
    said_ = step;
    SpeakText(std::to_string(step) + " por cento");
  }
}

}  // namespace mg
