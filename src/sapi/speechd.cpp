#include "sapi/speechd.h"

#include <libspeechd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "console/console.h"
#include "sapi/textpieces.h"

namespace mg::sapi {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kPieceLimit = 8000;  // bytes of text per message
constexpr auto kSpeakWait = std::chrono::milliseconds(20);
constexpr auto kCheckEvery = std::chrono::milliseconds(250);

std::atomic<uint32_t> gEventMessage{0};
SpeechdVoice* gSlots[2] = {nullptr, nullptr};

// libspeechd's thread: pass the message number on, nothing else.
template <int Slot>
void OnEvent(size_t id, size_t, SPDNotificationType) {
  HandOver(gEventMessage.load(), static_cast<intptr_t>(id), Slot);
}

void OnEnded(uint32_t, intptr_t id, intptr_t slot) {
  if (slot >= 0 && slot < 2 && gSlots[slot] != nullptr)
    gSlots[slot]->MessageEnded(static_cast<size_t>(id));
}

uint32_t Ticks() {
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
          .count());
}

bool Brazilian(const char* language) {
  if (language == nullptr) return false;
  std::string l(language);
  std::transform(l.begin(), l.end(), l.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return l == "pt-br" || l == "pt_br";
}

// Plain "pt": some modules (RHVoice) give their Brazilian voice no region.
bool Portuguese(const char* language) {
  return language != nullptr && (language[0] == 'p' || language[0] == 'P') &&
         (language[1] == 't' || language[1] == 'T') && language[2] == 0;
}

// The module's voices: Brazilian Portuguese first, then plain Portuguese, then the rest.
std::vector<std::string> VoiceNames(SPDConnection* conn) {
  std::vector<std::string> first, second, rest;
  SPDVoice** list = spd_list_synthesis_voices(conn);
  for (int i = 0; list != nullptr && list[i] != nullptr; ++i) {
    if (list[i]->name == nullptr) continue;
    const char* lang = list[i]->language;
    (Brazilian(lang) ? first : Portuguese(lang) ? second : rest).emplace_back(list[i]->name);
  }
  if (list != nullptr) free_spd_voices(list);
  first.insert(first.end(), second.begin(), second.end());
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

bool HasModule(SPDConnection* conn, const std::string& name) {
  char** modules = spd_list_modules(conn);
  bool found = false;
  for (int i = 0; modules != nullptr && modules[i] != nullptr; ++i) found |= name == modules[i];
  if (modules != nullptr) free_spd_modules(modules);
  return found;
}

void Beep() {
  if (ConsoleIsOpen()) {
    ConsoleWrite("\a", 1);
  } else {
    std::fputs("\a", stderr);
  }
}

}  // namespace

SpeechdVoice::SpeechdVoice(int slot) : slot_(slot) { gSlots[slot] = this; }

bool SpeechdVoice::Open() {
  if (gEventMessage == 0) {
    gEventMessage = RegisterConsoleMessage("snSapi5Fim");
    SetMessageHandler(gEventMessage, &OnEnded);
    PostConsoleMessage(kMsgSynthWake);  // events travel as console messages: make the queue
    // A server that dies mid-write must give an error, not end the program.
    struct sigaction old {};
    if (sigaction(SIGPIPE, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
      std::signal(SIGPIPE, SIG_IGN);
  }
  // Without an address of its own the user's server is started when it is not running.
  const bool autospawn = std::getenv("SPEECHD_ADDRESS") == nullptr;
  char* error = nullptr;
  conn_ = spd_open2("minigravador", slot_ == 0 ? "sapi5" : "sapi54", nullptr, SPD_MODE_THREADED,
                    nullptr, autospawn ? 1 : 0, &error);
  std::free(error);
  if (conn_ == nullptr) return false;
  conn_->callback_end = slot_ == 0 ? &OnEvent<0> : &OnEvent<1>;
  conn_->callback_cancel = conn_->callback_end;
  if (spd_set_notification_on(conn_, SPD_END) != 0 ||
      spd_set_notification_on(conn_, SPD_CANCEL) != 0 ||
      spd_set_data_mode(conn_, SPD_DATA_TEXT) != 0) {
    Close();
    return false;
  }
  lastCheck_ = Ticks();
  return true;
}

bool SpeechdVoice::Configure() {
  if (!module_.empty() && spd_set_output_module(conn_, module_.c_str()) != 0) return false;
  if (spd_set_language(conn_, "pt-BR") != 0) return false;
  if (!voiceName_.empty() && spd_set_synthesis_voice(conn_, voiceName_.c_str()) != 0) return false;
  spd_set_voice_rate(conn_, rate_);  // a voice that cannot change rate keeps its own
  return true;
}

bool SpeechdVoice::Alive() {
  return conn_ != nullptr && spd_set_notification_on(conn_, SPD_END) == 0;
}

void SpeechdVoice::Close() {
  if (conn_ != nullptr) spd_close(conn_);
  conn_ = nullptr;
}

bool SpeechdVoice::Init(int voice, int speed, const ModuleChoice& module) {
  Done();
  if (!Open()) return false;
  module_.clear();
  if (!module.name.empty()) {
    if (HasModule(conn_, module.name)) {
      module_ = module.name;
    } else if (module.required) {
      Close();
      return false;
    }
  }
  if (!module_.empty() && spd_set_output_module(conn_, module_.c_str()) != 0) {
    Close();
    return false;
  }
  voiceName_.clear();
  rate_ = std::clamp(speed, -10, 10) * 10;
  if (voice < 1) rate_ = 0;
  if (voice > 1) {
    // Listing every voice can take seconds (espeak-ng has thousands of variants), so it
    // is done only when a voice other than the first is asked for.
    const std::vector<std::string> names = VoiceNames(conn_);
    if (names.empty()) {
      Close();
      return false;
    }
    if (static_cast<size_t>(voice) > names.size()) {
      voice = 1;
      rate_ = 0;
    }
    voiceName_ = names[static_cast<size_t>(voice) - 1];
  }
  if (!Configure()) {
    Close();
    return false;
  }
  speaking_.clear();
  started_ = true;
  return true;
}

void SpeechdVoice::Speak(std::string_view text) {
  if (!started_) return;
  if (text.empty()) text = " ";
  for (const std::string_view piece : SplitText(text, kPieceLimit)) {
    const std::string utf8 = SpeakableUtf8(piece);
    bool said = false;
    for (int attempt = 0; attempt < 2 && !said; ++attempt) {
      if (conn_ == nullptr && !(Open() && Configure())) {
        Close();
        break;
      }
      const int id = spd_say(conn_, SPD_MESSAGE, utf8.c_str());
      if (id > 0) {
        speaking_.insert(static_cast<size_t>(id));
        said = true;
      } else {
        Close();  // broken: open again once
        speaking_.clear();
      }
    }
    if (!said) {
      Beep();
      return;
    }
  }
}

bool SpeechdVoice::Busy() {
  if (speaking_.empty()) return false;
  const auto deadline = Clock::now() + kSpeakWait;
  while (!speaking_.empty()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    WaitMessage(static_cast<int>(left.count()));
  }
  if (speaking_.empty()) return false;
  if (Ticks() - lastCheck_ >= static_cast<uint32_t>(kCheckEvery.count())) {
    lastCheck_ = Ticks();
    if (!Alive()) {
      // The server went away: nothing more will end; the next Speak opens again.
      Close();
      speaking_.clear();
      return false;
    }
  }
  PostConsoleMessage(kMsgSynthWake);
  return true;
}

void SpeechdVoice::Stop() {
  if (conn_ != nullptr) spd_cancel(conn_);
  speaking_.clear();
  PauseMs(50);
}

void SpeechdVoice::Done() {
  if (!started_) {
    Close();
    return;
  }
  while (Busy()) PauseMs(300);
  Close();
  speaking_.clear();
  started_ = false;
}

void SpeechdVoice::MessageEnded(size_t id) { speaking_.erase(id); }

}  // namespace mg::sapi
