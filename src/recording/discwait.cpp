#include "recording/discwait.h"

#include <algorithm>
#include <chrono>
#include <iostream>

#include "console/console.h"
#include "recording/burnwatch.h"
#include "recording/drivetrouble.h"
#include "recording/libraries.h"
#include "recording/mounts.h"
#include "speech/speech.h"

namespace mg {
namespace {

constexpr int kUnreadySeconds = 20;

enum class Step { Ready, Again, Left, Cancelled };

void Report(const DiscFailure& e) { std::cerr << "minigravador: " << e.what() << '\n'; }

// Media written in place whatever they hold: DVD-RAM, DVD+RW, formatted DVD-RW, BD-RE.
bool Overwritable(int profile) {
  return profile == 0x12 || profile == 0x13 || profile == 0x1a || profile == 0x2a ||
         profile == 0x43;
}

// Media that libburn formats before the first write when they are unformatted.
bool FormattedBeforeUse(int profile) {
  return profile == 0x12 || profile == 0x13 || profile == 0x43;
}

// Keys typed while the program waits on the drive are answered now and then.
void AnswerKeys(long long& lastMs, const char* answer) {
  bool any = false;
  while (KeyWaiting()) {
    ReadKey();
    any = true;
  }
  const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
  if (any && now - lastMs >= 3000) {
    lastMs = now;
    SpeakText(answer);
  }
}

// The desktop mounts every disc with data; an exclusive open then fails. Unmounted
// through udisks; failing that the user is asked to eject it.
Step Unmounted(const std::string& device) {
  if (MountPointsOf(device).empty()) return Step::Ready;
  SpeakLine("O disco est\xe1 aberto no sistema");
  long long lastAnswer = 0;
  const UnmountResult r = Unmount(device, kUnmountSeconds, [&lastAnswer] {
    AnswerKeys(lastAnswer, "Aguarde, fechando o disco");
  });
  if (r == UnmountResult::Done && MountPointsOf(device).empty()) return Step::Ready;
  std::cerr << "minigravador: " << device << ": "
            << (r == UnmountResult::NoProgram  ? "udisksctl não está instalado"
                : r == UnmountResult::TimedOut ? "udisksctl não respondeu"
                                               : "o disco não pôde ser desmontado")
            << '\n';
  SpeakLine("N\xe3o foi poss\xedvel fechar o disco; ejete o disco pelo sistema");
  return AskForDisc() ? Step::Again : Step::Left;
}

// Polls a long operation (erase, format) until the drive is idle, with the watch's
// answers; false when the user chose to leave.
bool RunLongOperation(Drive& drive, const WatchedOperation& words) {
  bool leave = false;
  WatchedOperation op = words;
  // Between two looks the drive may turn idle: the row keeps the last percentage.
  int last = 0;
  op.progress = [&drive, &last] {
    int64_t done = 0, total = 0;
    if (drive.Activity(done, total) != DriveActivity::Idle && total > 0) {
      last = static_cast<int>(std::clamp<int64_t>(done * 100 / total, 0, 100));
    }
    return last;
  };
  op.cancel = [&drive, &leave] {
    drive.Cancel();
    leave = true;
  };
  BurnWatch watch(op, true);
  // libburn's worker may take a moment to leave idle after the start.
  const auto started = std::chrono::steady_clock::now();
  int64_t done = 0, total = 0;
  while (!leave && (drive.Activity(done, total) != DriveActivity::Idle ||
                    std::chrono::steady_clock::now() - started < std::chrono::seconds(1))) {
    watch.Pump();
  }
  watch.Finish();
  return !leave;
}

// Erases or formats as libburn's own example does: start, poll until idle, ask whether
// it went well, read the medium again.
Step Treat(DiscRecorder& recorder, bool erase) {
  Drive& drive = recorder.Device();
  burnlib::DrainMessages();
  const WatchedOperation words = erase ? WatchedOperation{"Apagando",
                                                          "Apagando o disco, aguarde",
                                                          "Cancelar o apagamento? S/N",
                                                          {},
                                                          {}}
                                       : WatchedOperation{"Formatando",
                                                          "Formatando o disco, aguarde",
                                                          "Cancelar a formata\xe7\xe3o? S/N",
                                                          {},
                                                          {}};
  SpeakLine(words.busy);
  if (erase) {
    drive.StartErase(true);  // fast: only what says the disc holds data
  } else {
    drive.StartFormat();
  }
  const bool ok = RunLongOperation(drive, words);
  if (!ok) {
    SpeakLine(erase ? "Apagamento cancelado" : "Formata\xe7\xe3o cancelada");
    return Step::Cancelled;
  }
  const std::vector<DriveMessage> messages = burnlib::TakeDriveMessages();
  if (!drive.WroteWell()) {
    std::cerr << "minigravador: " << recorder.UniqueId() << ": "
              << (erase ? "o disco não foi apagado" : "o disco não foi formatado") << ": "
              << (messages.empty() ? "" : messages.front().text) << '\n';
    SpeakLine(erase ? "N\xe3o foi poss\xedvel apagar o disco"
                    : "N\xe3o foi poss\xedvel formatar o disco");
    if (const std::string t = TroubleSentence(TroubleOf(messages)); !t.empty()) SpeakLine(t);
    EjectAfterFailure(recorder);
    return AskForDisc() ? Step::Again : Step::Left;
  }
  drive.ReAssess();
  return Step::Ready;
}

// Says what is wrong, opens the tray (when there is a disc) and asks for another.
Step Another(DiscRecorder& recorder, const std::string& sentence, bool eject) {
  SpeakLine(sentence);
  if (eject) {
    recorder.EjectMedia();
  } else {
    recorder.Release();
  }
  return AskForDisc() ? Step::Again : Step::Left;
}

// One look at the disc in the grabbed drive.
Step Judge(DiscRecorder& recorder) {
  Drive& drive = recorder.Device();
  DiscStatus status = drive.Status();
  long long lastAnswer = -1000000;
  for (int i = 0; status == DiscStatus::Unready && i < kUnreadySeconds; ++i) {
    for (int t = 0; t < 10; ++t) {
      PauseMs(100);
      AnswerKeys(lastAnswer, "Aguarde, lendo o disco");
    }
    drive.ReAssess();
    status = drive.Status();
  }
  std::string profileName;
  const int profile = drive.Profile(profileName);
  switch (status) {
    case DiscStatus::Empty:
      return Another(recorder, "N\xe3o h\xe1 disco no gravador", false);
    case DiscStatus::Blank:
      break;
    case DiscStatus::Appendable:
    case DiscStatus::Full:
      if (Overwritable(profile)) break;
      if (!drive.Erasable()) {
        return Another(recorder, "Este disco j\xe1 foi gravado e n\xe3o pode ser apagado", true);
      }
      if (!AskYesNo("O disco n\xe3o est\xe1 vazio. Apagar o disco? S/N")) {
        recorder.EjectMedia();
        return AskForDisc() ? Step::Again : Step::Left;
      }
      if (const Step s = Treat(recorder, true); s != Step::Ready) return s;
      if (drive.Status() != DiscStatus::Blank) {
        return Another(recorder, "N\xe3o foi poss\xedvel apagar o disco", true);
      }
      break;
    default:
      std::cerr << "minigravador: " << recorder.UniqueId() << ": disco impróprio para gravação ("
                << profileName << ")\n";
      return Another(recorder, "Este disco n\xe3o serve para grava\xe7\xe3o", true);
  }
  if (FormattedBeforeUse(profile) && drive.Formats() == FormatState::Unformatted) {
    if (const Step s = Treat(recorder, false); s != Step::Ready) return s;
    if (drive.Formats() == FormatState::Unformatted) {
      return Another(recorder, "N\xe3o foi poss\xedvel formatar o disco", true);
    }
  }
  return Step::Ready;
}

Step TryOnce(DiscRecorder& recorder, const std::string& address) {
  const bool imageFile = address.rfind("stdio:", 0) == 0;
  if (!imageFile) {
    if (const Step s = Unmounted(address); s != Step::Ready) return s;
  }
  try {
    recorder.InitializeDiscRecorder(address);
  } catch (const DiscFailure& e) {
    Report(e);
    SpeakLine(e.Spoken().empty() ? burnlib::kRecorderUnusable : e.Spoken());
    // No other disc helps an image file or a user without permission.
    if (imageFile || e.Spoken() == kNoPermissionSentence) return Step::Left;
    return AskForDisc() ? Step::Again : Step::Left;
  }
  if (imageFile) return Step::Ready;
  return Judge(recorder);
}

}  // namespace

bool AskYesNo(const std::string& question) {
  SpeakLine(question);
  for (int asked = 1;; ++asked) {
    const uint8_t key = ReadKey();
    if (key == 'S' || key == 's') return true;
    if (key == 'N' || key == 'n' || key == 27) return false;
    if (key == 0) ReadKey();  // the second code of an extended key
    SpeakLine(question);
  }
}

bool AskForDisc() {
  const std::string prompt = "Insira o disco e aperte Enter, ou Esc para sair";
  SpeakLine(prompt);
  for (;;) {
    const uint8_t key = ReadKey();
    if (key == 13) return true;
    if (key == 27) return false;
    if (key == 0) ReadKey();
    SpeakLine(prompt);
  }
}

DiscReady PrepareDisc(DiscRecorder& recorder, const std::string& address) {
  for (;;) {
    switch (TryOnce(recorder, address)) {
      case Step::Ready:
        return DiscReady::Ready;
      case Step::Left:
        recorder.Release();
        return DiscReady::Left;
      case Step::Cancelled:
        return DiscReady::Cancelled;
      case Step::Again:
        break;
    }
  }
}

void EjectAfterFailure(DiscRecorder& recorder) {
  if (!recorder.IsInitialized()) return;
  try {
    // A drive lost mid-write is not touched again (Release keeps it).
    if (!recorder.Device().Settled()) {
      recorder.Release();
      return;
    }
    const bool disc = !recorder.IsImageFile() && recorder.Device().Status() != DiscStatus::Empty;
    if (disc) {
      recorder.EjectMedia();
    } else {
      recorder.Release();
    }
  } catch (const DiscFailure& e) {
    Report(e);
    recorder.Release();
  }
}

}  // namespace mg
