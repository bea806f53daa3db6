// A voice of speech-dispatcher, reached through libspeechd: the one place that talks to
// speech-dispatcher. Kinds 5 and 54 are two of these over different output modules.
//
// libspeechd reads the server's answers and events on a thread of its own; its end and
// cancel callbacks only hand the message's number over to the main thread (HandOver),
// where it leaves the set of messages still speaking. Every call here runs on the main
// thread, and every one returns within a bounded time: a server that dies is noticed
// within a second of speech.
#pragma once

#include <libspeechd.h>

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace mg::sapi {

struct ModuleChoice {
  std::string name;       // empty: the server's default output module
  bool required = false;  // without it the start fails; otherwise the default is used
};

class SpeechdVoice {
 public:
  // slot: 0 or 1, one per voice class, so that events find their voice.
  explicit SpeechdVoice(int slot);

  // voice: 1 = the first of the module's voices with the Brazilian Portuguese ones first;
  // below 1 or past the end gives voice 1 at rate 0. speed: -10..10, rate 0 = normal.
  // False, holding nothing, when the server cannot be reached, the module is missing
  // (when required) or has no voice.
  bool Init(int voice, int speed, const ModuleChoice& module);
  // Plain text (cp1252), never markup; an empty text is a single blank. A connection
  // found broken is opened again once; when that fails the console beeps.
  void Speak(std::string_view text);
  bool Busy();  // posts message 2980 while speaking
  void Stop();  // cancels everything this voice has queued
  void Done();

  std::string ModuleName() const { return module_; }
  std::string VoiceName() const { return voiceName_; }

  // Main thread: a message of this slot ended or was cancelled.
  void MessageEnded(size_t id);

 private:
  bool Open();
  bool Configure();
  bool Alive();
  void Close();

  int slot_;
  SPDConnection* conn_ = nullptr;
  bool started_ = false;
  std::string module_;     // module in use, empty for the default
  std::string voiceName_;  // empty: the module's Brazilian Portuguese voice by language
  int rate_ = 0;
  std::set<size_t> speaking_;  // message numbers not yet ended
  uint32_t lastCheck_ = 0;     // SDL ticks of the last look at the connection
};

}  // namespace mg::sapi
