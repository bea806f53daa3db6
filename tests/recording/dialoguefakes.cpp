#include "dialoguefakes.h"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <thread>

#include "console/console.h"
#include "console/sysconfig.h"
#include "recording/dialogue.h"
#include "recording/folderprompt.h"
#include "recording/mounts.h"
#include "speech/lineinput.h"
#include "speech/speech.h"
#include "testutil.h"

namespace mg {

namespace test {

DialogueScript& Script() {
  static DialogueScript s;
  return s;
}

void UseDialogueConfig(const std::string& folder, const std::string& imageFile) {
  MakeDir(folder + "/config");
  MakeDir(folder + "/config/Sonela");
  WriteFile(folder + "/config/Sonela/Sonela.ini", "[GRAVADOR]\r\nIMAGEM=" + imageFile + "\r\n");
  setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  FlushProfileCache();
  WriteFile(folder + "/mountinfo", "");
  SetMountTable(folder + "/mountinfo");
}

int RunDialogue() {
  std::istringstream enter("\n");
  std::streambuf* old = std::cin.rdbuf(enter.rdbuf());
  int code = -1;
  try {
    RunRecordingDialogue();
  } catch (const ProgramEnded& e) {
    code = e.exitCode;
  }
  std::cin.rdbuf(old);
  return code;
}

}  // namespace test

using test::Script;

void SpeechInit(int, const std::string&) {}
void SpeechDone() {}
void SpeakLine(std::string_view text) {
  Script().said.emplace_back(text);
  std::cout << text << '\n';
}
void SpeakText(std::string_view text) {
  Script().said.emplace_back(text);
  std::cout << "  (" << text << ")\n";
}

void ReadLineSpoken(std::string& text) {
  text.clear();
  if (Script().lines.empty()) throw test::ProgramEnded{3};
  text = Script().lines.front();
  Script().lines.pop_front();
}

// The directory question by itself: the scripted line is the answer, as typed.
std::optional<std::string> AskSourceFolder() {
  SpeakLine("Nome do diret\xf3rio a gravar");
  std::string answer;
  ReadLineSpoken(answer);
  return answer;
}
bool RememberLastFolder() {
  ++Script().remembered;
  return true;
}

void ReadIntegerSpoken(int& value) {
  std::string text;
  ReadLineSpoken(text);
  if (!text.empty()) value = std::stoi(text);
}

[[noreturn]] void ConsoleDone() { throw test::ProgramEnded{0}; }
[[noreturn]] void ConsoleDone(int exitCode) { throw test::ProgramEnded{exitCode}; }

bool KeyWaiting() { return false; }
uint8_t ReadKey() {
  if (Script().keys.empty()) throw test::ProgramEnded{3};
  const int key = Script().keys.front();
  Script().keys.pop_front();
  return static_cast<uint8_t>(key);
}

namespace {
EndRequestHandler g_endHandler = nullptr;
}

// A token sleep, so that polling loops do not spin; the time asked for is counted.
void PauseMs(uint16_t milliseconds) {
  Script().pausedMs += milliseconds;
  if (++Script().pauses == Script().closeAtPause && g_endHandler) g_endHandler();
  std::this_thread::sleep_for(std::chrono::microseconds(200));
}

void ClearToLineEnd() {}
void SetWindowTitle(const std::string&) {}
void SetEndRequestHandler(EndRequestHandler handler) { g_endHandler = handler; }

}  // namespace mg
