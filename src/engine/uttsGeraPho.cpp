// MBROLA input lines from the phoneme list: durations, pitch points, diphone repair.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "engine/uttsArquivo.h"
#include "engine/uttsProsodia.h"

namespace mg {
namespace {

constexpr char kTrema = '\xa8';  // "¨": cancels the stress lengthening

// trunc(x) div 100, kept within a sane range whatever the factors are.
long long Centesimos(double x) {
  if (!(x > 0)) return 0;  // also NaN
  if (x > 1e12) x = 1e12;
  return static_cast<long long>(std::trunc(x)) / 100;
}

// A pitch point: position and frequency for one digit of the pattern, or nothing
// when the digit's scale entry (or the frequency) is 0.
void PontoDeFrequencia(std::string& linha, char digito, int posicao, double fator) {
  if (digito < '0' || digito > '9') return;
  const int v = EscalaFrequencias()[static_cast<size_t>(digito - '0')];
  if (v == 0) return;
  const long long f = Centesimos(v * fator * FrequenciaBase());
  if (f == 0) return;  // a pitch factor of 0 gives no usable point
  linha += ' ' + std::to_string(posicao) + ' ' + std::to_string(f);
}

// Fast speech: below the normal rate's duration factor (0.8, the speech manager's speed
// 0), vowels and glides shrink with the factor, consonants less (with the square root of
// the speed-up: a consonant floor, as in fast natural speech, so that the words stay
// clear), and pauses with the factor but never below 30 % of their normal length.
constexpr double kFatorNormal = 0.8;
constexpr double kPisoPausa = 0.3;

enum class Classe { Vogal, Consoante, Pausa };

Classe ClasseDe(std::string_view fonema) {
  if (fonema == "_") return Classe::Pausa;
  switch (fonema.empty() ? '\0' : fonema[0]) {
    case 'a':
    case '@':
    case 'e':
    case 'i':
    case 'o':
    case 'u':
    case 'w':
    case 'y':
      return Classe::Vogal;
    default:
      return Classe::Consoante;
  }
}

// Milliseconds x 100 of a phoneme of base duration d (ms) at stress scale `escala`.
double DuracaoEscalada(double d, int escala, double fator, Classe classe) {
  const double normal = d * escala * fator;
  if (!(fator < kFatorNormal) || !(fator > 0)) return normal;
  const double aceleracao = fator / kFatorNormal;  // below 1: faster than normal
  switch (classe) {
    case Classe::Consoante:
      return d * escala * kFatorNormal * std::sqrt(aceleracao);
    case Classe::Pausa:
      return std::max(normal, d * escala * kFatorNormal * kPisoPausa);
    case Classe::Vogal:
      break;
  }
  return normal;
}

// The phoneme named by the line after `i` within the same word ("" at a word's end),
// past marks-only lines.
std::string FonemaSeguinte(const std::vector<std::string>& fonemas, size_t i) {
  for (size_t j = i + 1; j < fonemas.size(); ++j) {
    std::string_view l = fonemas[j];
    if (l.empty() || l[0] == ';') return {};
    while (!l.empty() && (l[0] == '>' || l[0] == kTrema)) l.remove_prefix(1);
    if (!l.empty()) return std::string(l.substr(0, l.find(' ')));
  }
  return {};
}

}  // namespace

std::vector<std::string> GeraPho(const std::vector<std::string>& fonemas, double fatorFrequencia,
                                 double fatorDuracao) {
  std::vector<std::string> saida;
  saida.reserve(fonemas.size() + fonemas.size() / 4);
  int escala = 100;
  std::string padrao = "555";
  int fase = 0;
  size_t tamanhoPalavra = 0;
  std::string atual, anterior = "_";

  for (size_t i = 0; i < fonemas.size(); ++i) {
    std::string linha = fonemas[i];
    const bool ultima = i + 1 == fonemas.size() || fonemas[i + 1].empty();
    if (linha.empty()) {
      escala = 100;
      atual.clear();
    } else if (linha[0] == ';' && linha.size() >= 5 && linha[4] == '|') {
      padrao = linha.substr(1, 3);
      linha.erase(1, 4);  // ";" and what follows the pattern
      tamanhoPalavra = linha.size();
      fase = 0;
    } else {
      if (linha[0] == '>') {
        escala = 145;
        linha.erase(0, 1);
        if (!linha.empty() && linha[0] == kTrema) linha.erase(0, 1);
        fase = 2;
      } else if (linha[0] == kTrema) {
        linha.erase(0, 1);
        escala = 100;
      }
      // A line that held only marks (a rule output beginning with "&" at the stressed
      // letter) names no phoneme: its marks stay in force for the next one.
      if (linha.empty()) continue;
      // A coda x the voice cannot join to the consonant after it (br4 has no x + t: the
      // s of "triste", said before an affricate t) is said as the end-of-syllable s2.
      if (linha == "x") {
        const std::string seguinte = FonemaSeguinte(fonemas, i);
        if (!seguinte.empty() && !ExisteDifone("x", seguinte) && ExisteDifone("s2", seguinte) &&
            ExisteDifone(anterior, "s2")) {
          linha = "s2";
        }
      }
      int d;
      if (linha[0] == '_') {
        if (linha.size() == 1) {
          d = 100;
        } else if (linha[1] == ' ') {
          if (!LeInteiro(std::string_view(linha).substr(2), 0, 100000, d)) d = 100;
        } else {
          d = DuracaoDe(linha);
        }
        linha.assign(1, '_');
      } else {
        d = DuracaoDe(linha);
        if (fase < 2) {
          if (tamanhoPalavra > 13) {
            d = d * 80 / 100;
          } else if (tamanhoPalavra > 9) {
            d = d * 90 / 100;
          }
        }
      }
      atual = linha;
      linha += ' ' + std::to_string(Centesimos(DuracaoEscalada(static_cast<double>(d), escala,
                                                               fatorDuracao, ClasseDe(atual))));
      if (fase == 0) {
        PontoDeFrequencia(linha, padrao[0], 50, fatorFrequencia);
        fase = 1;
      } else if (fase == 2) {
        PontoDeFrequencia(linha, padrao[1], 80, fatorFrequencia);
        fase = 3;
      } else if (fase == 3 && ultima) {
        PontoDeFrequencia(linha, padrao[2], 50, fatorFrequencia);
      }
    }
    // A glide the voice cannot reach from the phoneme before it (br4 has no nasal
    // vowel + w: "com o") is said as its full vowel when the voice has that diphone,
    // instead of a pause or an inserted y.
    if ((atual == "w" || atual == "y") && !ExisteDifone(anterior, atual)) {
      const std::string vogal = atual == "w" ? "u" : "i";
      if (ExisteDifone(anterior, vogal)) {
        linha.replace(0, atual.size(), vogal);
        atual = vogal;
      }
    }
    if (!atual.empty() && !ExisteDifone(anterior, atual)) {
      if (anterior == "r2" && ExisteDifone("r2", "_")) {
        saida.emplace_back("_ 50");
      } else if (ExisteDifone(anterior, "y")) {
        saida.emplace_back("y 50");
      } else {
        saida.emplace_back("_ 50");
      }
    }
    if (!atual.empty()) anterior = atual;
    saida.push_back(std::move(linha));
  }
  return saida;
}

}  // namespace mg
