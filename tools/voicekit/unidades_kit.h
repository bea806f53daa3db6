// The unit database of the legacy voice: which units our rules make the synthesizer look
// up, and how each is said with espeak-ng.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace mg::kit {

// One line of the symbol table at the top of regras.rgr:
// ";| sym=<symbol> espeak=<mnemonic> xsampa=<...> kind=<vowel|glide|consonant>".
struct Simbolo {
  std::string espeak;
  std::string kind;
};
using TabelaSimbolos = std::map<std::string, Simbolo>;  // by sym, e.g. "A", "A+TIL", "TCH"

// False when the file cannot be read or holds no symbol lines.
bool LeSimbolos(const std::string& regrasPath, TabelaSimbolos& out);

// espeak-ng phoneme input for a unit name ("$KA" -> "k'a"), the stress on its first
// vowel; empty when a symbol of the name is not in the table.
std::optional<std::string> UnidadeParaEspeak(const std::string& name, const TabelaSimbolos& t);

// Every unit name the synthesizer looks up while speaking the words (cp1252), as if the
// database held every name of up to 8 characters; longer names are decomposed as the
// synthesizer does and their parts recorded. The legacy tables must be loaded.
std::set<std::string> Inventario(const std::vector<std::string>& words);

struct Cobertura {
  long lookups = 0, found = 0;
  std::map<std::string, long> missing;  // name -> times
};
// Looks the words up against the open database (IniciaTradutor done).
Cobertura MedeCobertura(const std::vector<std::string>& words);

}  // namespace mg::kit
