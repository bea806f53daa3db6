// The recorded sounds of the letters directory: a spoken name for every character the
// console shows, number words, time and date words, the line editor's messages and the
// dial tones.
#pragma once

#include <string>
#include <vector>

namespace mg::kit {

struct Gravacao {
  std::string nome;                  // file name without ".wav"
  std::string texto;                 // what espeak-ng says (UTF-8); empty for a tone
  double toneLow = 0, toneHigh = 0;  // dial tone frequencies
};

std::vector<Gravacao> Gravacoes();

}  // namespace mg::kit
