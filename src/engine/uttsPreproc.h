// uttsPreproc: turns the raw text of one utterance into text the later stages can
// pronounce letter by letter. Numbers become Portuguese number words (cardinal or
// ordinal, with thousands points, decimals and signs), words made only of consonants
// are spelled, known abbreviations are expanded and symbols are replaced by their
// spoken names. Punctuation that carries prosody stays. All text is cp1252.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mg {

constexpr int kMaxAbreviaturas = 2000;

// Loads the abbreviation file (one "key = expansion" a line; ";" starts a comment).
// The count starts at 0; false when the file cannot be opened or read. Lines past the
// 2000th entry are ignored and reported once through Avisa.
bool CarregaAbreviaturas(const std::string& caminho);
// The same over the text of such a file.
void CarregaAbreviaturasDeTexto(std::string_view conteudo);
int NumeroDeAbreviaturas();

// The expansion of `palavra` (compared upper-cased with the keys, first entry wins),
// or the empty string when it is not an abbreviation.
std::string Abreviatura(std::string_view palavra);

// The spoken name of a character; the empty string for characters without one.
const std::string& NomeDoCaractere(char c);

// The whole transformation of one utterance.
std::string PreProcessa(std::string_view texto);

// Number words: the cardinal of a value of at most 15 digits, and the ordinal
// (values of 2000 or more read as cardinals). `plural` adds the "s" of "1os.".
std::string ExtensoCardinal(uint64_t valor);
std::string ExtensoOrdinal(uint64_t valor, bool feminino, bool plural = false);

namespace preproc {
// The character sets of the preprocessor (and of the tokeniser).
bool EhLetra(char c);
bool EhConsoante(char c);
bool EhPontuacaoMantida(char c);
}  // namespace preproc

}  // namespace mg
