// The reform seed list (tools/g2p/reforma-semente.txt) for the tests of both rule sets:
// its old spellings, and today's spelling of each.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace mg::teste {

// Today's spelling of an old one: no diaeresis, no accent on the open diphthong of a
// paroxytone, no circumflex on a doubled vowel.
inline std::string Reformada(std::string w) {
  for (const auto& [de, para] : std::vector<std::pair<std::string, std::string>>{
           {"ü", "u"}, {"ôo", "oo"}, {"êe", "ee"}, {"éi", "ei"}, {"ói", "oi"}}) {
    for (size_t i = w.find(de); i != std::string::npos; i = w.find(de, i + para.size())) {
      w.replace(i, de.size(), para);
    }
  }
  return w;
}

// The listed old spellings (UTF-8), without the words marked "-" (never listed); empty
// when the file cannot be read.
inline std::vector<std::string> PalavrasDaSemente(const std::string& arquivo) {
  std::ifstream lista(arquivo);
  std::vector<std::string> out;
  for (std::string linha; std::getline(lista, linha);) {
    if (linha.empty() || linha[0] == '#') continue;
    std::istringstream s(linha);
    for (std::string antiga; s >> antiga;) {
      if (antiga[0] != '-') out.push_back(antiga);
    }
  }
  return out;
}

}  // namespace mg::teste
