#include "engine/uttsTonica.h"

#include <string>

namespace mg {

char MinusculaCp1252(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
  switch (u) {
    case 0x8A:
      return static_cast<char>(0x9A);  // Š
    case 0x8C:
      return static_cast<char>(0x9C);  // Œ
    case 0x8E:
      return static_cast<char>(0x9E);  // Ž
    case 0x9F:
      return static_cast<char>(0xFF);  // Ÿ
    default:
      return c;
  }
}

namespace {

// à á â ã é ê í ó ô õ ú
constexpr std::string_view kAcentuadas = "\xe0\xe1\xe2\xe3\xe9\xea\xed\xf3\xf4\xf5\xfa";
// a e i o u w y ü
constexpr std::string_view kVogais = "aeiouwy\xfc";

bool Acentuada(char c) { return kAcentuadas.find(c) != std::string_view::npos; }
bool Vogal(char c) { return kVogais.find(c) != std::string_view::npos; }
bool AEO(char c) { return c == 'a' || c == 'e' || c == 'o'; }

// States of the scan from the end of the word (see PosicaoTonica).
enum class Estado {
  kFim,        // end of word
  kAposAEO,    // after a final a/e/o
  kSilaba,     // looking for the previous syllable
  kSilabaIU,   // the previous syllable has i or u
  kUAntesAEO,  // u before the final a/e/o
  kUAntesIU,   // u before the i/u of the previous syllable
  kAposU,      // after a final u
  kAposI,      // after a final i
  kUAntesI,    // u before the final i
  kAposConsoante,
  kAposM,
};

}  // namespace

int PosicaoTonica(std::string_view word) {
  std::string w(word);
  for (char& c : w) c = MinusculaCp1252(c);
  const int n = static_cast<int>(w.size());

  for (int i = n; i >= 1; --i) {
    if (Acentuada(w[i - 1])) return i;
  }
  bool temVogal = false;
  for (char c : w) temVogal = temVogal || Vogal(c);
  if (!temVogal) return 0;

  int result = 0;
  Estado st = Estado::kFim;
  for (int i = n; i >= 1; --i) {
    const char c = w[i - 1];
    const bool gq = c == 'g' || c == 'q';
    switch (st) {
      case Estado::kFim:
        if (AEO(c)) {
          result = i;
          st = Estado::kAposAEO;
        } else if (c == 'u') {
          result = i;
          st = Estado::kAposU;
        } else if (c == 'i') {
          result = i;
          st = Estado::kAposI;
        } else if (c == 's') {
          // a final s is skipped
        } else if (c == 'm' || (c == 'n' && i < n && w[i] == 's')) {
          // -ns is the plural of -m: homens, imagens like homem, imagem
          st = Estado::kAposM;
        } else {
          st = Estado::kAposConsoante;
        }
        break;
      case Estado::kAposAEO:
        if (c == 'u') {
          st = Estado::kUAntesAEO;
        } else if (c == 'i' && i > 1 && AEO(w[i - 2])) {
          return i - 1;  // an i between vowels is a glide: praia, meio, cheia
        } else if (Vogal(c)) {
          return i;
        } else {
          st = Estado::kSilaba;
        }
        break;
      case Estado::kSilaba:
        if (AEO(c)) return i;
        if (c == 'i' || c == 'u') {
          result = i;
          st = Estado::kSilabaIU;
        }
        break;
      case Estado::kSilabaIU:
        if (AEO(c)) return i;  // falling diphthong: the first vowel carries the stress
        if (c != 'u') return result;
        st = Estado::kUAntesIU;
        break;
      case Estado::kUAntesAEO:
        if (!gq) return i + 1;  // the u carries the stress
        result = i + 2;         // the u of gu/qu is silent
        st = Estado::kSilaba;
        break;
      case Estado::kUAntesIU:
        return gq ? i + 2 : i + 1;
      case Estado::kAposU:
        if (c == 'a' || c == 'e' || c == 'i' || c == 'o') return i;
        return result;
      case Estado::kAposI:
        // A vowel before the final i carries the stress of the diphthong; the vowel
        // before that one belongs to another syllable (reais, ideais).
        if (AEO(c)) return i;
        if (c == 'u') {
          st = Estado::kUAntesI;
        } else {
          return result;
        }
        break;
      case Estado::kUAntesI:
        return gq ? i + 2 : i + 1;
      case Estado::kAposConsoante:
        if (Vogal(c)) return i;
        break;
      case Estado::kAposM:
        if (c == 'i' || c == 'o' || c == 'u') return i;
        if (c == 'a' || c == 'e') {
          result = i;
          st = Estado::kAposAEO;
        } else {
          st = Estado::kFim;
        }
        break;
    }
  }
  return result;
}

}  // namespace mg
