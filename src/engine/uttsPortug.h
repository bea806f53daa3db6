// uttsPortug: letter-to-phoneme conversion of one utterance. Each pattern item
// ("PPP|text") becomes a header line (";" + item), one line per phoneme (">" before the
// first phoneme of the stressed syllable) and an empty line closing the word; pauses
// become pause symbols ("__", "_,", "_?" ...). Uses the engine's rule and exception
// tables, which must be loaded first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "legacy/dicionario.h"

namespace mg {

using ListaFonemas = std::vector<std::string>;

// The whole conversion of one utterance, ending with "__" and the linking pass.
ListaFonemas Fonemiza(const std::vector<std::string>& itens);
ListaFonemas Fonemiza(const std::vector<std::string>& itens, const TabelaRegras& regras,
                      const TabelaExcecoes& excecoes);

// Appends the phoneme lines of one upper-case word and the empty line that ends it.
// `tonica` is the 1-based position of the stressed letter; below 1, no mark is written.
void AplicaRegras(std::string_view palavra, int tonica, ListaFonemas& lista);
void AplicaRegras(std::string_view palavra, int tonica, ListaFonemas& lista,
                  const TabelaRegras& regras);

// The phonemes of a list in one line, blank-separated, pauses and headers left out, a
// stress mark glued to the phoneme it marks: "k >a z a" (the notation of sonela-voz
// fonemas and of the accuracy scorer).
std::string LinhaDeFonemas(const ListaFonemas& lista);

// Across word boundaries, a word-final "r2" before a vowel becomes the tap "r" and a
// final "s2" becomes "z" (mar azul, as aves). Run by Fonemiza on the finished list.
void LigaPalavras(ListaFonemas& lista);

}  // namespace mg
