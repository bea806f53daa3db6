// The speech manager's view of Sonela.ini: IniRead with the legacy fallback and the
// directory macros, and every key the speech manager reads, with its default.
#pragma once

#include <string>
#include <string_view>

namespace mg {

// Reads SECTION/KEY from IniDirectory()\Sonela.ini (255-byte buffer); when empty and the
// legacy fallback is on, from the Windows directory's Sonela.ini; then expands "@",
// "@\" and "@@\". Empty when absent.
std::string IniRead(std::string_view section, std::string_view key);

// The legacy fallback is on from start-up until SpeechInit has read SONELA/LEGADO.
void SetLegacyFallback(bool on);
bool LegacyFallback();

// Yes/no of the speech manager's keys: yes unless empty or beginning with N/n.
bool IniMeansYes(std::string_view value);
// SONELA/LEGADO (always read with the fallback): yes only when it begins with S/s.
bool ReadLegado();

// Whole-number conversion; false when the text is empty or not entirely a number.
bool ParseInt(std::string_view text, int& value);

int ReadSpeedIndex();                // TRADUTOR/VELOCIDADE: 1-5, else 3
std::string ReadLettersDirectory();  // TRADUTOR/DIRLETRAS, with trailing "\"
bool ReadSapiSelected();             // TRADUTOR/SAPI

struct SynthSettings {
  int voice = 0, speed = 0, tone = 0, kind = 5;
};
SynthSettings ReadSynthSettings();  // SERVFALA: speed above 10 -> 0 unless kind 4

// The back-end's speed at speed index n (1-5) for synthesizer `kind`: SERVFALA/VELOCIDADEn,
// in the unit of that kind's VELOCIDADE (own engine: duration factor 0.8 - s / 15; kind 4:
// words per minute, 0 = the voice's normal rate; kinds 5 and 54: -10..10). The table is
// used only when SERVFALA/TIPOVELOCIDADE, the kind it was written for, is empty or names
// `kind`; a missing or invalid key takes the kind's own default (kSynthSpeedDefaults),
// and index 3 without a key of its own is `configuredSpeed` (SERVFALA/VELOCIDADE), so a
// user who never changes the index hears what VELOCIDADE says. Above 10 gives 0 unless
// the kind is 4, as for VELOCIDADE.
int ReadSynthSpeed(int kind, int speedIndex, int configuredSpeed);
// Defaults of that table for indexes 1-5 (index 3 stands for VELOCIDADE), measured to
// span about 130 to 450 words per minute with the own engine and espeak-ng.
int SynthSpeedDefault(int kind, int speedIndex, int configuredSpeed);

struct VoiceParameters {
  std::string diphones;         // DIFONESn, at most 8 characters
  int trim = 0;                 // CORTEFONn
  int minimum = 0;              // SOBRAFONn
  int pauseWords = 0;           // INTERPALn
  bool cutSpeech = false;       // CORTAFALAn
  bool slightlyFaster = false;  // RAPIDINHOn
  int pausePoint = 250, pauseComma = 150, pauseColon = 200;
};
VoiceParameters ReadVoiceParameters(int speedIndex);

struct LowVisionSettings {
  int zoom = 0, letter = 14, background = 6, cursor = 3;
};
LowVisionSettings ReadLowVisionSettings();

struct OndalSettings {
  std::string mbrolaDb = "br4", dir, base = "portug";
};
OndalSettings ReadOndalSettings();

// SONELA/PROG.HTM and SONELA/PROG.<EXT> (extension upper-cased, three letters).
std::string ReadLinkProgram();
std::string ReadProgramForExtension(std::string_view extension);

}  // namespace mg
