// Pronunciation dictionaries: the letter-to-sound rule table and the exception table,
// their loaders and the exception lookup. Two consumers hold tables of their own: the
// legacy translator ("regras.rgr" + "portug.exc") and the own engine ("portug.nrl" +
// its "portug.exc"); they share the line syntax and differ in widths and index range.
// All text is cp1252; paths are Linux paths.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mg {

enum class TipoTabela {
  Legado,  // 64 chains (codes 32-95), outputs of 11 characters, final s/m stripped
  Motor,   // 224 chains (codes 32-255), outputs of 20, lines upper-cased, S/M stripped
};

// One rule: `trecho` (1-5 letters) is rewritten as `saida` when `esquerda` (read right
// to left) and `direita` (read left to right) hold. Fields are cut to their widths.
struct TRegra {
  std::string esquerda;  // at most 5
  std::string trecho;    // at most 5, never empty in a loaded table
  std::string direita;   // at most 5
  std::string saida;     // at most 11 (legacy) or 20 (engine)
  TRegra* prox = nullptr;
};

constexpr size_t kLarguraContexto = 5;
constexpr size_t kLarguraSaidaLegado = 11;
constexpr size_t kLarguraSaidaMotor = 20;

// What a load met besides good entries. Lines counted here were skipped.
struct EstatisticaCarga {
  int lidas = 0;      // lines read (comments and empty lines included)
  int invalidas = 0;  // skipped: empty `trecho`, chain outside the table, over-long line
  bool erroLeitura = false;
};

class TabelaRegras {
 public:
  explicit TabelaRegras(TipoTabela tipo);
  ~TabelaRegras();
  TabelaRegras(const TabelaRegras&) = delete;
  TabelaRegras& operator=(const TabelaRegras&) = delete;

  // Reads the rule file, appending each rule at the tail of its chain in file order.
  // Rules of an earlier load are freed first. False when the file cannot be opened or
  // reading it fails; the table is then empty.
  bool CarregaRegras(const std::string& path);
  // Frees every rule and empties every chain.
  void LiberaRegras();

  // First rule of the chain for character code c, or nullptr (also outside the range).
  const TRegra* Cadeia(unsigned char c) const;
  // Parses one line into a rule as the loader does (false for a comment); exposed for
  // tools and tests. Does not check validity.
  bool LeLinha(std::string_view linha, TRegra& regra) const;

  TipoTabela Tipo() const { return tipo_; }
  size_t Quantidade() const { return quantidade_; }
  const EstatisticaCarga& Estatistica() const { return estat_; }
  size_t LarguraSaida() const;

 private:
  TipoTabela tipo_;
  int primeiro_;  // code of the first chain: 32
  std::vector<TRegra*> cabeca_, cauda_;
  size_t quantidade_ = 0;
  EstatisticaCarga estat_;
};

// One exception: `palavra` as the matcher sees the word, `alias` its respelling.
struct palavra_alias {
  std::string palavra;  // at most 255
  std::string alias;    // at most 255
};

constexpr int kMaxExcecoes = 15000;
// Longest exception line kept: the loader appends "|=|" within 255 characters.
constexpr size_t kMaxLinhaExcecao = 252;

class TabelaExcecoes {
 public:
  explicit TabelaExcecoes(TipoTabela tipo);

  // Reads at most 15000 entries, then sorts them by `palavra` (byte order). False when
  // the file cannot be opened or reading fails (the count is then 0).
  bool CarregaExcecoes(const std::string& path);
  // The alias of `word`, trying again with a final s/m (legacy) or S/M (engine) moved
  // to a suffix that is appended to the alias; the input unchanged when nothing matches.
  std::string ProcuraExcecao(std::string_view word) const;
  // Empties the table.
  void Limpa();

  int Quantidade() const { return static_cast<int>(entradas_.size()); }
  // Entries are numbered from 1.
  const palavra_alias& Entrada(int i) const { return entradas_.at(static_cast<size_t>(i - 1)); }
  const EstatisticaCarga& Estatistica() const { return estat_; }
  TipoTabela Tipo() const { return tipo_; }

  // The recursive quicksort of the exception table over entries lo..hi (1-based).
  static void Ordena(std::vector<palavra_alias>& v, int lo, int hi);

 private:
  const palavra_alias* Busca(std::string_view word) const;

  TipoTabela tipo_;
  std::vector<palavra_alias> entradas_;
  EstatisticaCarga estat_;
};

// cp1252 upper-casing as the engine's exception loader does it (accented letters too).
char MaiusculaCp1252(char c);
std::string MaiusculasCp1252(std::string_view s);

// The engine's own tables, one instance each for the whole program.
TabelaRegras& RegrasMotor();
TabelaExcecoes& ExcecoesMotor();

}  // namespace mg
