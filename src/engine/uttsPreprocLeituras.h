// Readings of the preprocessor for things a listener expects to hear as words: dates,
// clock times, money, data sizes and acronyms. Each reader looks at the text at a
// position; when the text there is of its kind it appends the words, moves the
// position past what it read and returns true; otherwise it leaves both untouched.
// All text is cp1252.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mg::preproc {

// d/m/yyyy or dd/mm/yyyy with a day that exists in that month: "vinte e cinco de
// dezembro de dois mil e vinte e seis"; day 1 is "primeiro".
bool LeData(std::string_view t, size_t& p, std::string& out);

// A clock time at a digit: "14h", "14h30", "14h30min" always; "10:30" only when
// `aposPreposicao` (the word before was às, das, até or de). Hours are feminine:
// "duas horas e trinta minutos".
bool LeHora(std::string_view t, size_t& p, bool aposPreposicao, std::string& out);

// An amount after a currency sign ("R$" or "US$", p just after the sign): optional
// blanks, digits with thousands points, optional comma and one or two digits of cents.
// "dez reais e cinquenta centavos", "um real", "um milhão de reais".
bool LeDinheiro(std::string_view t, size_t& p, bool dolar, std::string& out);

// Whether the word before a number (the letters that end `antes`) asks for "HH:MM" to
// be read as a time.
bool PreposicaoDeHora(std::string_view antes);

// The name of a data-size unit after a number (KB, MB, GB, TB in any case), singular
// after exactly one; empty for any other word.
std::string UnidadeDeTamanho(std::string_view palavra, bool singular);

// The acronyms said as words: one a line, ";" begins a comment; "ONU" alone is read by
// its letters as a word, "ONU=ônu" is read as written after the "=" (ordinary spelling
// whose accents give the vowels and the stress the letters alone would miss).
void CarregaSiglasDeTexto(std::string_view conteudo);
bool CarregaSiglas(const std::string& caminho);
bool SiglaFalada(std::string_view palavra);
// The pronunciation written for a listed acronym (upper case); empty when it has none.
std::string PronunciaDaSigla(std::string_view palavra);
// Whether a word of capitals A-Z can be said as a sequence of Portuguese syllables:
// onsets of one consonant or a cluster (pr, bl, ch, lh, nh, qu, gu ...), a vowel in
// every syllable, codas of s, r, l, m, n, x or z (ns and rs at the end). INSS, SESC and
// IBGE cannot; ONU, NASA and ENEM can.
bool SiglaPronunciavel(std::string_view palavra);

// Feminine of a cardinal's last word where it has one: um -> uma, dois -> duas.
std::string Feminino(std::string palavras);

}  // namespace mg::preproc
