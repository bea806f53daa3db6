// Numbers, time and date spoken from recorded words (files in the letters directory).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mg {

// Portuguese words of n (cp1252), separated by blanks; may end with a blank.
// 21 -> "vinte e um", 1000 -> "mil ", 1000000 -> "um milh\xe3o ".
std::string NumberToWords(uint64_t n);

// Plays the recorded words of `words` (from NumberToWords) joined into blocks of at most
// 30000 samples; `feminine` turns a last "um"/"dois" into "uma"/"duas".
void SpeakNumberWords(std::string_view words, bool feminine);

// Recorded-file name (without ".wav") of one word as SpeakNumberWords plays it.
std::string NumberWordFileName(std::string_view word, bool feminineLast);

void SpeakTime();  // "vinte e uma" "_horas" "cinco" "_minutos"
void SpeakDate();  // "_Segunda" "dois" "_de" "_Feverei" "_de" "dois mil" "_e" ...

// Every recorded sound name (without ".wav", all in the letters directory) that the speak
// operations, numbers, time and date play, for the voice kit that records them. Character
// sounds "_<code>" (codes 0, 12 and 32-255) come on top of these.
std::vector<std::string> RecordedWordNames();

}  // namespace mg
