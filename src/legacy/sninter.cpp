#include "legacy/sninter.h"

#include <array>
#include <cstdint>

namespace mg {
namespace {

// ---- character classes ----

enum : uint8_t {
  kVogal = 1,
  kConsoante = 2,
  kMarca = 4,  // the five ASCII accent marks
  kDigito = 8,
  kPontuacao = 16,
};

constexpr std::array<uint8_t, 256> ConstroiClasses() {
  std::array<uint8_t, 256> t{};
  for (int c = 'a'; c <= 'z'; ++c) {
    t[static_cast<size_t>(c)] = kConsoante;
    t[static_cast<size_t>(c - 32)] = kConsoante;
  }
  for (char v : {'a', 'e', 'i', 'o', 'u'}) {
    t[static_cast<size_t>(v)] = kVogal;
    t[static_cast<size_t>(v - 32)] = kVogal;
  }
  for (char m : {'"', '\'', '^', '`', '~'}) t[static_cast<size_t>(m)] = kMarca;
  for (int c = '0'; c <= '9'; ++c) t[static_cast<size_t>(c)] = kDigito;
  for (char p : {' ', '!', ',', '.', ':', ';', '?'}) t[static_cast<size_t>(p)] = kPontuacao;
  return t;
}
constexpr std::array<uint8_t, 256> kClasse = ConstroiClasses();

bool Tem(char c, uint8_t classe) { return (kClasse[static_cast<uint8_t>(c)] & classe) != 0; }
bool EhVogal(char c) { return Tem(c, kVogal); }
bool EhConsoante(char c) { return Tem(c, kConsoante); }
bool EhLetra(char c) { return Tem(c, kVogal | kConsoante); }
bool EhMarca(char c) { return Tem(c, kMarca); }
bool EhCaractereDePalavra(char c) { return Tem(c, kVogal | kConsoante | kMarca); }

char Maiuscula(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char Minuscula(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
bool Igual(char letra, char c) { return Maiuscula(letra) == Maiuscula(c); }
bool Entre(char c, std::string_view conjunto) {
  return conjunto.find(Minuscula(c)) != std::string_view::npos;
}

// ---- normalisation ----

// Output of characters 128-255; nullptr for "no mapping". Accent marks follow the base
// letter: ' acute, ` grave, ^ circumflex, ~ tilde, " diaeresis.
struct Mapa {
  std::array<const char*, 128> t{};
  Mapa() {
    auto put = [this](int c, const char* s) { t[static_cast<size_t>(c - 128)] = s; };
    for (int c : {128, 135}) put(c, "\xe7");
    for (int c : {129, 154}) put(c, "u\"");
    for (int c : {130, 144}) put(c, "e'");
    put(131, "a^");
    for (int c : {132, 142}) put(c, "a~");
    put(133, "a`");
    for (int c : {134, 143, 160}) put(c, "a'");
    put(136, "e^");
    put(137, "e\"");
    put(138, "e`");
    put(139, "i\"");
    put(140, "i^");
    put(141, "i`");
    put(145, "ae");
    put(146, "-");
    put(147, "o^");
    for (int c : {148, 153}) put(c, "o~");
    put(149, "o`");
    put(150, "u^");
    put(151, "u`");
    put(152, "y-");
    put(161, "i'");
    put(162, "o'");
    put(163, "u'");
    for (int c : {164, 165}) put(c, "nh");
    put(167, "\xa7");
    for (int c : {168, 191}) put(c, "?");
    put(171, "\xaa");
    put(173, "!");
    for (int c : {174, 175}) put(c, "\"");
    put(187, "\xba");
    // Letters of code page 1252: upper and lower case alike.
    const char* letras[32] = {
        "a`",    "a'", "a^", "a~",  "a~", "a",     "ae",    "\xe7",   // 192 -
        "e`",    "e'", "e^", "e\"", "i`", "i'",    "i^",    "i\"",    // 200 -
        nullptr, "nh", "o`", "o'",  "o^", "o~",    "o`",    "x",      // 208 -
        "0",     "u`", "u'", "u^",  "u",  nullptr, nullptr, nullptr,  // 216 -
    };
    for (int i = 0; i < 32; ++i) {
      put(192 + i, letras[i]);
      put(224 + i, letras[i]);
    }
  }
};

const Mapa& MapaAlto() {
  static const Mapa m;
  return m;
}

// ---- stress ----

// Position helpers over a 1-based word.
struct Palavra {
  std::string& s;
  int n() const { return static_cast<int>(s.size()); }
  char at(int p) const { return (p >= 1 && p <= n()) ? s[static_cast<size_t>(p - 1)] : '\0'; }
  bool dentro(int p) const { return p >= 1 && p <= n(); }
  // The diaeresis of gu", qu" (kept by exceptions for today's spelling) stands between
  // the u and the stressed vowel: the mark goes to the vowel after it.
  void marca(int p) {
    if (dentro(p) && at(p) == '"') ++p;
    if (dentro(p)) s[static_cast<size_t>(p - 1)] = Maiuscula(s[static_cast<size_t>(p - 1)]);
  }
};

// The state after state 8 for the letter at p (p may be 0: before the word).
int Estado8(const Palavra& w, int p) {
  const char c = w.at(p);
  if (w.dentro(p) && EhConsoante(c)) return 7;
  if (w.dentro(p) && Minuscula(c) == 'u' && Entre(w.at(p - 1), "gq")) return 7;
  const char c2 = w.at(p + 2);
  if (w.dentro(p + 2) && Entre(c2, "lmnrz")) {
    const char c3 = w.at(p + 3);
    if ((Minuscula(c2) == 'n' && Minuscula(c3) == 'h') ||
        (Minuscula(c2) == 'r' && Minuscula(c3) == 'r') ||
        (w.dentro(p + 3) && EhConsoante(c3) && Minuscula(c3) != 'h')) {
      return 7;
    }
  }
  return 6;
}

// ---- rule matching ----

bool TestaTrecho(const Palavra& w, int pos, std::string_view trecho) {
  for (size_t i = 0; i < trecho.size(); ++i) {
    const int q = pos + static_cast<int>(i);
    if (!w.dentro(q) || Maiuscula(w.at(q)) != trecho[i]) return false;
  }
  return true;
}

bool TestaDireita(const Palavra& w, int q, std::string_view direita) {
  const int n = w.n();
  for (char item : direita) {
    switch (item) {
      case '#':
        if (!w.dentro(q) || !(EhVogal(w.at(q)) || EhMarca(w.at(q)))) return false;
        while (w.dentro(q) && (EhVogal(w.at(q)) || EhMarca(w.at(q)))) ++q;
        break;
      case '%':
        if (q != n + 1) return false;
        break;
      case '&':
        if (!w.dentro(q) || !Entre(w.at(q), "lmnrz")) return false;
        ++q;
        break;
      case '*':
        if (!w.dentro(q) || !EhConsoante(w.at(q)) || Entre(w.at(q), "rl")) return false;
        break;
      case '+':
        if (!w.dentro(q) || !Entre(w.at(q), "ei")) return false;
        q += EhMarca(w.at(q + 1)) && w.dentro(q + 1) ? 2 : 1;
        break;
      case '[':
        if (q != n + 1 && !(w.dentro(q) && EhConsoante(w.at(q)) && Minuscula(w.at(q)) != 'h')) {
          return false;
        }
        break;
      case '\\':
        if (w.dentro(q) && Minuscula(w.at(q)) == 's') ++q;
        break;
      default:
        if (!w.dentro(q) || !Igual(w.at(q), item)) return false;
        ++q;
    }
  }
  return true;
}

// A "!" holds when the rule starts at the stressed vowel (`tonica`: the letter there is
// the upper-cased vowel of the stress step); it tests no letter. Words never hold "!",
// so rules that do not use it read as before.
bool TestaEsquerda(const Palavra& w, int q, std::string_view esquerda, bool tonica) {
  for (size_t k = esquerda.size(); k-- > 0;) {
    const char item = esquerda[k];
    switch (item) {
      case '!':
        if (!tonica) return false;
        break;
      case '#':
        if (!w.dentro(q) || !(EhVogal(w.at(q)) || EhMarca(w.at(q)))) return false;
        while (w.dentro(q) && (EhVogal(w.at(q)) || EhMarca(w.at(q)))) --q;
        break;
      case '%':
        if (q != 0) return false;
        break;
      case ']':
        if (w.dentro(q) && Entre(w.at(q), "ao")) {
          q -= 1;
        } else if (w.dentro(q) && EhMarca(w.at(q)) && Entre(w.at(q - 1), "ao") && w.dentro(q - 1)) {
          q -= 2;
        } else {
          return false;
        }
        break;
      case '_':
        if (q == 0) break;
        if (w.dentro(q) && EhVogal(w.at(q))) {
          q -= 1;
        } else if (w.dentro(q) && EhMarca(w.at(q)) && w.dentro(q - 1) && EhVogal(w.at(q - 1))) {
          q -= 2;
        } else {
          return false;
        }
        break;
      case '|':
        if (!w.dentro(q) || !Entre(w.at(q), "nrs")) return false;
        --q;
        break;
      default:
        if (!w.dentro(q) || !Igual(w.at(q), item)) return false;
        --q;
    }
  }
  return true;
}

TabelaRegras& TabelaLegada() {
  static TabelaRegras t(TipoTabela::Legado);
  return t;
}

}  // namespace

TabelaRegras& RegrasLegado() { return TabelaLegada(); }

TabelaExcecoes& ExcecoesLegado() {
  static TabelaExcecoes t(TipoTabela::Legado);
  return t;
}

// The character classes are fixed sets (a constant table), so there is nothing to
// rebuild before the rules are read.
bool CarregaRegras(const std::string& path) { return RegrasLegado().CarregaRegras(path); }
bool CarregaExcecoes(const std::string& path) { return ExcecoesLegado().CarregaExcecoes(path); }
void LiberaRegras() { RegrasLegado().LiberaRegras(); }
std::string ProcuraExcecao(std::string_view word) { return ExcecoesLegado().ProcuraExcecao(word); }

std::string NormalizaTexto(std::string_view text) {
  std::string in(text);  // w/y replacements are made in place, left to right
  std::string out;
  out.reserve(in.size() + in.size() / 4);
  const size_t n = in.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = in[i];
    const bool letraAntes = i > 0 && EhLetra(in[i - 1]);
    const bool letraDepois = i + 1 < n && EhLetra(in[i + 1]);
    if ((c == 'W' || c == 'w') && (letraAntes || letraDepois)) {
      in[i] = 'u';
    } else if ((c == 'Y' || c == 'y') && (letraAntes || letraDepois)) {
      in[i] = 'i';
    }
    const auto u = static_cast<uint8_t>(in[i]);
    if (u == '\'' && i > 0 && (in[i - 1] == 'D' || in[i - 1] == 'd')) continue;
    const char* s = nullptr;
    char proprio[2] = {static_cast<char>(u), '\0'};
    if (u >= 32 && u < 128) {
      s = proprio;
    } else if (u >= 128) {
      s = MapaAlto().t[u - 128];
    }
    if (s == nullptr) {
      out += ' ';
      out += '\0';
      out += ' ';
      continue;
    }
    for (; *s != '\0'; ++s) {
      if (static_cast<uint8_t>(*s) == 0xE7) {
        out += "ss";
      } else {
        out += *s;
      }
    }
  }
  return out;
}

void MarcaTonica(std::string& palavra, int vogais, bool acentoExplicito) {
  if (acentoExplicito || vogais == 0 || palavra.empty()) return;
  if (vogais == 1 && Minuscula(palavra.back()) != 'l') return;
  Palavra w{palavra};
  int estado = 0;
  for (int p = w.n(); p >= 1; --p) {
    const char c = Minuscula(w.at(p));
    switch (estado) {
      case 0:
        estado = Entre(c, "aeo")     ? 5
                 : Entre(c, "iu")    ? 3
                 : Entre(c, "lnrxz") ? 1
                 : c == 'm'          ? 2
                 : c == 's'          ? 4
                                     : 0;
        break;
      case 1:
        if (EhVogal(c)) estado = 6;
        break;
      case 2:
        estado = Entre(c, "ae") ? 5 : Entre(c, "iu") ? 3 : c == 'o' ? 6 : 2;
        break;
      case 3:
        estado = EhConsoante(c) || (c == 'u' && Entre(w.at(p - 1), "gq")) ? 7 : 6;
        break;
      case 4:
        estado = Entre(c, "aeo") ? 5 : Entre(c, "iu") ? 3 : 4;
        break;
      case 5:
        estado = Entre(c, "aeo") ? 6 : Entre(c, "iu") ? 8 : 5;
        break;
      case 6:
        w.marca(p + 1);
        return;
      case 7:
        w.marca(p + 2);
        return;
      case 8:
        estado = Estado8(w, p);
        break;
    }
  }
  // A mark due on the first letter (ela, ontem, uva) is made as well: the stressed
  // syllable is then played whole like any other.
  if (estado == 8) estado = Estado8(w, 0);
  if (estado == 6) w.marca(1);
  if (estado == 7) w.marca(2);
}

std::string AplicaRegras(std::string_view texto) {
  std::string buffer(texto);
  Palavra w{buffer};
  const int n = w.n();
  std::string out = "[";
  int pos = 1;
  while (pos <= n) {
    const char letra = w.at(pos);
    const char c = Maiuscula(letra);
    std::string unidade = " /_";
    unidade += c;
    int avanco = 1;
    const bool tonica = letra >= 'A' && letra <= 'Z' && EhVogal(letra);
    for (const TRegra* r = RegrasLegado().Cadeia(static_cast<uint8_t>(c)); r; r = r->prox) {
      if (TestaTrecho(w, pos, r->trecho) && TestaEsquerda(w, pos - 1, r->esquerda, tonica) &&
          TestaDireita(w, pos + static_cast<int>(r->trecho.size()), r->direita)) {
        unidade = r->saida;
        avanco = static_cast<int>(r->trecho.size());
        break;
      }
    }
    if (letra >= 'A' && letra <= 'Z' && EhVogal(letra)) {
      for (char& u : unidade) {
        if (EhVogal(u)) {
          u = Maiuscula(u);
          break;
        }
      }
    }
    out += unidade;
    pos += avanco;
    if (pos <= n) out += '/';
  }
  out += ']';
  return out;
}

std::string TraduzTexto(std::string_view text) {
  const std::string t = NormalizaTexto(text);
  const size_t n = t.size();
  std::string out;
  size_t i = 0;
  while (true) {
    while (i < n && t[i] == ' ') ++i;
    if (i >= n) break;
    std::string palavra;
    int vogais = 0;
    bool acento = false;
    char c = Minuscula(t[i]);
    if (EhLetra(c)) {
      do {
        palavra += c;
        if (EhVogal(c)) ++vogais;
        ++i;
        if (i < n) {
          c = Minuscula(t[i]);
          if (EhMarca(c) && c != '"') acento = true;
        }
      } while (i < n && EhCaractereDePalavra(c) && palavra.size() < kMaxPalavra);
    } else {
      palavra = c;
      ++i;
    }
    palavra = ProcuraExcecao(palavra);
    if (palavra.size() > kMaxPalavra) palavra.resize(kMaxPalavra);
    MarcaTonica(palavra, vogais, acento);
    bool soletra = !palavra.empty() && palavra[0] == '\0';
    if (!soletra) {
      soletra = true;
      for (char x : palavra) {
        if (!EhConsoante(x) && !Tem(x, kPontuacao)) {
          soletra = false;
          break;
        }
      }
    }
    if (soletra) {
      for (char x : palavra) {
        out += "[ /_";
        out += x;
        out += ']';
      }
    } else {
      out += AplicaRegras(palavra);
    }
  }
  return out;
}

}  // namespace mg
