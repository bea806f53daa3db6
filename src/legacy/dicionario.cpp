#include "legacy/dicionario.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <utility>

namespace mg {
namespace {

// Longest rule line looked at; a rule needs a few dozen characters, the rest of a
// longer line is dropped.
constexpr size_t kMaxLinhaRegra = 1024;

struct FechaArquivo {
  void operator()(FILE* f) const { std::fclose(f); }
};
using Arquivo = std::unique_ptr<FILE, FechaArquivo>;

// Opens a regular file for reading (a directory or a missing file gives nullptr).
Arquivo Abre(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return nullptr;
  return Arquivo(std::fopen(path.c_str(), "rb"));
}

// Reads one line ending in LF, CR LF or a lone CR (or at the end of the file). Keeps
// its first `cap` bytes, skips the rest, and reports the full length. False at the end.
bool LeLinhaArquivo(FILE* f, std::string& linha, size_t cap, size_t& tamanho) {
  linha.clear();
  tamanho = 0;
  int c = std::getc(f);
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    if (c == '\r') {
      int d = std::getc(f);
      if (d != '\n' && d != EOF) std::ungetc(d, f);
      break;
    }
    if (linha.size() < cap) linha.push_back(static_cast<char>(c));
    ++tamanho;
    c = std::getc(f);
  }
  return true;
}

int Compara(std::string_view a, std::string_view b) { return a.compare(b); }

}  // namespace

char MaiusculaCp1252(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
  switch (u) {
    case 0x9A:
      return static_cast<char>(0x8A);  // š
    case 0x9C:
      return static_cast<char>(0x8C);  // œ
    case 0x9E:
      return static_cast<char>(0x8E);  // ž
    case 0xFF:
      return static_cast<char>(0x9F);  // ÿ
    default:
      return c;
  }
}

std::string MaiusculasCp1252(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = MaiusculaCp1252(c);
  return r;
}

// ---- rule table ----

TabelaRegras::TabelaRegras(TipoTabela tipo)
    : tipo_(tipo),
      primeiro_(32),
      cabeca_(tipo == TipoTabela::Legado ? 64 : 224, nullptr),
      cauda_(cabeca_.size(), nullptr) {}

TabelaRegras::~TabelaRegras() { LiberaRegras(); }

size_t TabelaRegras::LarguraSaida() const {
  return tipo_ == TipoTabela::Legado ? kLarguraSaidaLegado : kLarguraSaidaMotor;
}

void TabelaRegras::LiberaRegras() {
  for (size_t i = 0; i < cabeca_.size(); ++i) {
    TRegra* r = cabeca_[i];
    while (r != nullptr) {
      TRegra* prox = r->prox;
      delete r;
      r = prox;
    }
    cabeca_[i] = cauda_[i] = nullptr;
  }
  quantidade_ = 0;
}

const TRegra* TabelaRegras::Cadeia(unsigned char c) const {
  const int i = static_cast<int>(c) - primeiro_;
  if (i < 0 || i >= static_cast<int>(cabeca_.size())) return nullptr;
  return cabeca_[static_cast<size_t>(i)];
}

bool TabelaRegras::LeLinha(std::string_view linha, TRegra& regra) const {
  regra = TRegra{};
  if (!linha.empty() && linha[0] == ';') return false;
  // Fields in order, each ended by its delimiter; a missing delimiter leaves the field
  // with the rest of the line and every later field empty.
  std::string* campos[4] = {&regra.esquerda, &regra.trecho, &regra.direita, &regra.saida};
  const size_t largura[4] = {kLarguraContexto, kLarguraContexto, kLarguraContexto, LarguraSaida()};
  const char fim[4] = {'(', ')', '=', '|'};
  size_t campo = 0;
  for (char c : linha) {
    if (c == fim[campo]) {
      if (++campo == 4) break;
      continue;
    }
    if (campos[campo]->size() < largura[campo]) campos[campo]->push_back(c);
  }
  return true;
}

bool TabelaRegras::CarregaRegras(const std::string& path) {
  LiberaRegras();
  estat_ = EstatisticaCarga{};
  Arquivo f = Abre(path);
  if (!f) return false;
  std::string linha;
  size_t tamanho = 0;
  TRegra lida;
  while (LeLinhaArquivo(f.get(), linha, kMaxLinhaRegra, tamanho)) {
    ++estat_.lidas;
    if (!LeLinha(linha, lida)) continue;  // comment
    if (linha.empty()) continue;
    const int i = lida.trecho.empty()
                      ? -1
                      : static_cast<int>(static_cast<unsigned char>(lida.trecho[0])) - primeiro_;
    if (i < 0 || i >= static_cast<int>(cabeca_.size())) {
      ++estat_.invalidas;  // consumes nothing, or has no chain to go to
      continue;
    }
    auto* r = new TRegra(std::move(lida));
    r->prox = nullptr;
    const auto k = static_cast<size_t>(i);
    if (cauda_[k] == nullptr) {
      cabeca_[k] = r;
    } else {
      cauda_[k]->prox = r;
    }
    cauda_[k] = r;
    ++quantidade_;
  }
  if (std::ferror(f.get())) {
    estat_.erroLeitura = true;
    LiberaRegras();
    return false;
  }
  return true;
}

// ---- exception table ----

TabelaExcecoes::TabelaExcecoes(TipoTabela tipo) : tipo_(tipo) {}

void TabelaExcecoes::Limpa() {
  entradas_.clear();
  entradas_.shrink_to_fit();
}

void TabelaExcecoes::Ordena(std::vector<palavra_alias>& v, int lo, int hi) {
  // Hoare partition around the middle entry; the smaller side recurses, the larger
  // side loops, so the depth stays logarithmic whatever the input order.
  while (lo < hi) {
    const std::string pivo = v[static_cast<size_t>((lo + hi) / 2 - 1)].palavra;
    int i = lo, j = hi;
    while (i <= j) {
      while (Compara(v[static_cast<size_t>(i - 1)].palavra, pivo) < 0) ++i;
      while (Compara(pivo, v[static_cast<size_t>(j - 1)].palavra) < 0) --j;
      if (i <= j) {
        std::swap(v[static_cast<size_t>(i - 1)], v[static_cast<size_t>(j - 1)]);
        ++i;
        --j;
      }
    }
    if (j - lo < hi - i) {
      if (lo < j) Ordena(v, lo, j);
      lo = i;
    } else {
      if (i < hi) Ordena(v, i, hi);
      hi = j;
    }
  }
}

bool TabelaExcecoes::CarregaExcecoes(const std::string& path) {
  entradas_.clear();
  estat_ = EstatisticaCarga{};
  Arquivo f = Abre(path);
  if (!f) return false;
  std::string linha;
  size_t tamanho = 0;
  // Read a little past the limit so that an over-long line is recognised as one.
  while (static_cast<int>(entradas_.size()) < kMaxExcecoes &&
         LeLinhaArquivo(f.get(), linha, 255, tamanho)) {
    ++estat_.lidas;
    if (tamanho == 0) continue;
    if (tamanho > kMaxLinhaExcecao) {
      ++estat_.invalidas;  // no room left for the "|=|" the line is read with
      continue;
    }
    if (tipo_ == TipoTabela::Motor) linha = MaiusculasCp1252(linha);
    linha += "|=|";
    const size_t igual = linha.find('=');
    palavra_alias e;
    e.palavra = linha.substr(0, igual);
    const size_t barra = linha.find('|', igual + 1);
    e.alias = linha.substr(igual + 1, barra - igual - 1);
    if (e.palavra.empty()) {
      ++estat_.invalidas;  // "=alias" names no word
      continue;
    }
    entradas_.push_back(std::move(e));
  }
  if (std::ferror(f.get())) {
    estat_.erroLeitura = true;
    entradas_.clear();
    return false;
  }
  Ordena(entradas_, 1, Quantidade());
  return true;
}

const palavra_alias* TabelaExcecoes::Busca(std::string_view word) const {
  size_t lo = 0, hi = entradas_.size();
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    const int c = Compara(entradas_[mid].palavra, word);
    if (c == 0) return &entradas_[mid];
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return nullptr;
}

std::string TabelaExcecoes::ProcuraExcecao(std::string_view word) const {
  const char s = tipo_ == TipoTabela::Legado ? 's' : 'S';
  const char m = tipo_ == TipoTabela::Legado ? 'm' : 'M';
  std::string_view atual = word;
  while (!atual.empty()) {
    if (const palavra_alias* e = Busca(atual)) {
      std::string r = e->alias;
      r.append(word.substr(atual.size()));
      return r;
    }
    const char ultimo = atual.back();
    if (ultimo != s && ultimo != m) break;
    atual.remove_suffix(1);
  }
  return std::string(word);
}

TabelaRegras& RegrasMotor() {
  static TabelaRegras t(TipoTabela::Motor);
  return t;
}

TabelaExcecoes& ExcecoesMotor() {
  static TabelaExcecoes t(TipoTabela::Motor);
  return t;
}

}  // namespace mg
