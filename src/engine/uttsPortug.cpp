#include "engine/uttsPortug.h"

#include "engine/uttsTonica.h"

namespace mg {
namespace {

// Character sets of the rule contexts (cp1252).
constexpr std::string_view kVogais =
    "AEIOUaeiou\xc0\xc1\xc2\xc3\xc9\xca\xcc\xcd\xd3\xd4\xd5\xd9\xda\xdc"
    "\xe0\xe1\xe2\xe3\xe9\xea\xec\xed\xf3\xf4\xf5\xf9\xfa\xfc";
constexpr std::string_view kConsoantes =
    "BCDFGHJKLMNPQRSTVWXYZbcdfghjklmnpqrstvwxyz\xc7\xd1\xe7\xf1";
constexpr std::string_view kAO = "AOao\xc1\xc2\xd3\xd4\xe1\xe2\xf3\xf4";
constexpr std::string_view kEI = "EIei\xc9\xcd\xe9\xed";
constexpr std::string_view kLR = "LRlr";
constexpr std::string_view kS = "Ss";
constexpr std::string_view kH = "Hh";
constexpr std::string_view kLiquidasNasais = "LMNRZlmnrz";
constexpr std::string_view kNRS = "NRSnrs";
constexpr std::string_view kPausas = " !(),.:;?";

// Only the first 11 characters of a rule's output are written.
constexpr size_t kSaidaUsada = 11;

bool Em(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }

char MaiusculaAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// The word seen by the contexts: positions 1..n, anything else is outside.
class Palavra {
 public:
  explicit Palavra(std::string_view w) : w_(w), n_(static_cast<int>(w.size())) {}
  int n() const { return n_; }
  char at(int q) const { return w_[static_cast<size_t>(q - 1)]; }

 private:
  std::string_view w_;
  int n_;
};

bool TrechoConfere(const Palavra& w, int p, std::string_view trecho) {
  for (size_t k = 0; k < trecho.size(); ++k) {
    const int q = p + static_cast<int>(k);
    if (q > w.n() || MaiusculaAscii(w.at(q)) != trecho[k]) return false;
  }
  return true;
}

// Left context, read from its last symbol to its first, starting just before p. A "!"
// holds when the rule starts at the stressed letter (`tonica`), a "<" when it starts
// before it; neither tests a letter. Words never hold them, so a rule file that does
// not use them reads as before.
bool EsquerdaConfere(const Palavra& w, int p, int tonica, std::string_view esq) {
  int q = p - 1;
  for (size_t k = esq.size(); k-- > 0;) {
    const char s = esq[k];
    switch (s) {
      case '!':
        if (p != tonica) return false;
        break;
      case '<':
        if (tonica < 1 || p >= tonica) return false;
        break;
      case '#':
        if (q < 1 || !Em(kVogais, w.at(q))) return false;
        --q;
        break;
      case '%':
        if (q != 0) return false;
        break;
      case ']':
        if (q < 1 || !Em(kAO, w.at(q))) return false;
        --q;
        break;
      case '_':
        if (q >= 1) {
          if (!Em(kVogais, w.at(q))) return false;
          --q;
        }
        break;
      case '|':
        if (q < 1 || !Em(kNRS, w.at(q))) return false;
        --q;
        break;
      default:
        if (q < 1 || MaiusculaAscii(w.at(q)) != s) return false;
        --q;
        break;
    }
  }
  return true;
}

// Right context, read from its first symbol to its last, starting just after `trecho`.
bool DireitaConfere(const Palavra& w, int q, std::string_view dir) {
  const int n = w.n();
  for (const char s : dir) {
    switch (s) {
      case '#':
        if (q > n || !Em(kVogais, w.at(q))) return false;
        ++q;
        break;
      case '%':
        if (q <= n) return false;
        break;
      case '&':
        if (q > n || !Em(kLiquidasNasais, w.at(q))) return false;
        ++q;
        break;
      case '*':
        if (q > n || !Em(kConsoantes, w.at(q)) || Em(kLR, w.at(q))) return false;
        break;
      case '+':
        if (q > n || !Em(kEI, w.at(q))) return false;
        ++q;
        break;
      case '[':
        if (q <= n && (!Em(kConsoantes, w.at(q)) || Em(kH, w.at(q)))) return false;
        break;
      case '\\':
        if (q <= n && Em(kS, w.at(q))) ++q;
        break;
      default:
        if (q > n || MaiusculaAscii(w.at(q)) != s) return false;
        ++q;
        break;
    }
  }
  return true;
}

const TRegra* Regra(const TabelaRegras& regras, const Palavra& w, int p, int tonica) {
  const auto c = static_cast<unsigned char>(w.at(p));
  if (c < 32) return nullptr;
  for (const TRegra* r = regras.Cadeia(c); r != nullptr; r = r->prox) {
    if (r->trecho.empty()) continue;  // would consume nothing
    if (TrechoConfere(w, p, r->trecho) && EsquerdaConfere(w, p, tonica, r->esquerda) &&
        DireitaConfere(w, p + static_cast<int>(r->trecho.size()), r->direita)) {
      return r;
    }
  }
  return nullptr;
}

// Short function words carry no stress mark; a short word with a written accent (já,
// pé, só) is a stressed word all the same.
bool SemTonica(const std::string& w) {
  if (w.size() <= 2) {
    for (char c : w) {
      if (std::string_view("\xc0\xc1\xc2\xc3\xc9\xca\xcd\xd3\xd4\xd5\xda").find(c) !=
          std::string_view::npos)
        return false;
    }
    return true;
  }
  return w == "POR" || w == "DAS" || w == "DOS" || w == "COM" || w == "N\xc3O" || w == "SIM";
}

}  // namespace

void AplicaRegras(std::string_view palavra, int tonica, ListaFonemas& lista,
                  const TabelaRegras& regras) {
  const Palavra w(palavra);
  bool marcada = tonica < 1;
  std::string linha;
  int p = 1;
  while (p <= w.n()) {
    const TRegra* r = Regra(regras, w, p, tonica);
    if (r == nullptr) {
      ++p;
      continue;
    }
    const std::string_view saida = std::string_view(r->saida).substr(0, kSaidaUsada);
    for (const char c : saida) {
      if (!marcada && p >= tonica) {
        linha += '>';
        marcada = true;
      }
      if (c == '&') {
        lista.push_back(std::move(linha));
        linha.clear();
      } else {
        linha += c;
      }
    }
    if (!saida.empty()) {
      lista.push_back(std::move(linha));
      linha.clear();
    }
    p += static_cast<int>(r->trecho.size());
  }
  lista.push_back(std::move(linha));
}

void AplicaRegras(std::string_view palavra, int tonica, ListaFonemas& lista) {
  AplicaRegras(palavra, tonica, lista, RegrasMotor());
}

std::string LinhaDeFonemas(const ListaFonemas& lista) {
  std::string out;
  bool marca = false;  // a ">" on a line of its own goes onto the next phoneme
  for (const std::string& l : lista) {
    const bool pausa = l == "__" || (l.size() == 2 && l[0] == '_' && Em("!(),.:;?", l[1]));
    if (l.empty() || l[0] == ';' || pausa) continue;
    if (l == ">") {
      marca = true;
      continue;
    }
    if (!out.empty()) out += ' ';
    if (marca && l[0] != '>') out += '>';
    marca = false;
    out += l;
  }
  return out;
}

void LigaPalavras(ListaFonemas& lista) {
  const size_t n = lista.size();
  for (size_t i = 3; i + 1 < n; ++i) {
    if (lista[i].empty() || lista[i][0] != ';') continue;
    std::string_view seguinte = lista[i + 1];
    if (!seguinte.empty() && (seguinte[0] == '\xa8' || seguinte[0] == '>')) {
      seguinte.remove_prefix(1);
    }
    if (!seguinte.empty() && Em("aeiouwy", seguinte[0])) {
      std::string& fim = lista[i - 2];
      if (fim == "r2") {
        fim.assign(1, 'r');
      } else if (fim == "s2") {
        fim.assign(1, 'z');
      }
    }
    ++i;  // the line after a header is not itself a header
  }
}

ListaFonemas Fonemiza(const std::vector<std::string>& itens, const TabelaRegras& regras,
                      const TabelaExcecoes& excecoes) {
  // A word said alone (an answer: "sim", "não", "por") is stressed even when it is one
  // of the short words that go unstressed in a phrase.
  int palavras = 0;
  for (const std::string& item : itens) {
    palavras += item.size() > 4 && !Em(kPausas, item[4]);
  }
  ListaFonemas lista;
  for (const std::string& item : itens) {
    lista.push_back(";" + item);
    const std::string palavra =
        MaiusculasCp1252(item.size() > 4 ? std::string_view(item).substr(4) : "");
    if (palavra.empty()) {
      lista.emplace_back("__");
      lista.emplace_back();
      continue;
    }
    if (Em(kPausas, palavra[0])) {
      if (palavra[0] != ' ') lista.push_back(std::string("_") + palavra[0]);
      continue;
    }
    const std::string w = excecoes.ProcuraExcecao(palavra);
    const int tonica = palavras > 1 && SemTonica(w) ? 0 : PosicaoTonica(w);
    AplicaRegras(w, tonica, lista, regras);
  }
  lista.emplace_back("__");
  LigaPalavras(lista);
  return lista;
}

ListaFonemas Fonemiza(const std::vector<std::string>& itens) {
  return Fonemiza(itens, RegrasMotor(), ExcecoesMotor());
}

}  // namespace mg
