// uttsProsodia: the prosody file ("portug.pro": phoneme durations, prosody keys of
// words, intonation rules, base pitch and pitch scale) and the diphone file
// ("portug.dfn": the diphones the MBROLA voice holds), and the three phrase stages that
// use them: tokenising into items with prosody codes, choosing an intonation pattern
// per item, and turning the phoneme list into MBROLA input lines. All text is cp1252.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace mg {

constexpr int kMaxDuracoes = 100;
constexpr int kMaxChaves = 1000;
constexpr int kMaxRegrasProsodia = 300;

struct TDuracao {
  std::string fonema;  // at most 2 characters
  int duracao = 100;   // milliseconds at the normal rate
};

struct TChave {
  std::string palavra;  // upper case
  std::string codigo;   // 2 characters, upper case
};

struct TProsodia {
  std::string anterior, atual, seguinte;  // at most 3 characters; empty matches any code
  std::string padrao;                     // three digits, the first may be "?"
};

// Loads the prosody file; sections [DURAÇÃO], [CHAVES] and [PROSÓDIA] in any order.
// Every problem is reported through Avisa (uttsAviso.h), naming the line; false when
// the file is missing or unusable, and the tables are then empty. The pitch scale keeps
// its earlier values unless the file sets it.
bool CarregaProsodia(const std::string& caminho);
bool CarregaProsodiaDeTexto(std::string_view conteudo);

// Fills a new diphone list from the diphone file ("a b" a line); false when the file
// cannot be read, leaving the list empty.
bool CarregaDifones(const std::string& caminho);
void CarregaDifonesDeTexto(std::string_view conteudo);
void LiberaDifones();

// Duration of the first [DURAÇÃO] entry equal to `fonema` (case matters); 100 if none.
int DuracaoDe(std::string_view fonema);
// The prosody code of `palavra` (any case), or the empty string.
std::string CodigoDe(std::string_view palavra);
// Whether "primeiro-segundo" is in the diphone list, regardless of letter case.
bool ExisteDifone(std::string_view primeiro, std::string_view segundo);

// The loaded tables, for tools and tests.
const std::vector<TDuracao>& Duracoes();
const std::vector<TChave>& Chaves();
const std::vector<TProsodia>& RegrasProsodia();
int FrequenciaBase();
const std::array<int, 10>& EscalaFrequencias();
size_t NumeroDeDifones();

// Items "[CC]text": CC the prosody code, text a word, a punctuation character or
// nothing ("[--]" is a sentence boundary).
std::vector<std::string> Tokeniza(std::string_view texto);

// Pattern items "PPP|text"; without rules every pattern is "555".
std::vector<std::string> AtribuiPadroes(const std::vector<std::string>& itens, bool usaRegras);

// MBROLA input lines (phoneme, duration, at most one pitch point; ";word" comments;
// empty lines between words) from the phoneme list of Fonemiza.
std::vector<std::string> GeraPho(const std::vector<std::string>& fonemas, double fatorFrequencia,
                                 double fatorDuracao);

}  // namespace mg
