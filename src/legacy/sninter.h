// sninter: legacy letter-to-sound translation of cp1252 text into the legacy phoneme
// string (words in square brackets, units separated by "/"), and the legacy rule and
// exception tables it reads.
#pragma once

#include <string>
#include <string_view>

#include "legacy/dicionario.h"

namespace mg {

// The legacy tables ("regras.rgr" and "portug.exc" of the diphone directory). The
// synthesizer's start-up loads them through these calls; TraduzTexto reads them.
TabelaRegras& RegrasLegado();
TabelaExcecoes& ExcecoesLegado();
bool CarregaRegras(const std::string& path);    // false when it cannot be read
bool CarregaExcecoes(const std::string& path);  // false when it cannot be read
void LiberaRegras();
std::string ProcuraExcecao(std::string_view word);

// Text (cp1252) to the legacy phoneme string. With an empty rule table every letter
// becomes its default unit " /_X" (X the letter in upper case).
std::string TraduzTexto(std::string_view text);

// The steps of TraduzTexto, for tools and tests.
// Characters to the translator's alphabet: accented letters as base letter and ASCII
// accent mark, w/y beside letters as u/i, c-cedilla as ss, unmapped characters as
// blank, NUL, blank.
std::string NormalizaTexto(std::string_view text);
// Upper-cases the stressed vowel of a word in the translator's alphabet (lower case).
// `vogais` and `acentoExplicito` describe the word as it was cut from the text.
void MarcaTonica(std::string& palavra, int vogais, bool acentoExplicito);
// One word (after exceptions and stress) through the rules: "[" units "]".
std::string AplicaRegras(std::string_view palavra);

// Longest word the translator holds; a longer run of letters continues as a new word.
constexpr size_t kMaxPalavra = 255;

}  // namespace mg
