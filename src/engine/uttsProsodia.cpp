// Loaders and lookups of the prosody and diphone files.
#include "engine/uttsProsodia.h"

#include <algorithm>
#include <optional>

#include "common/cp1252.h"
#include "engine/uttsArquivo.h"
#include "engine/uttsAviso.h"
#include "legacy/dicionario.h"

namespace mg {
namespace {

// Limits of the values a prosody file may give.
constexpr int kMaxDuracao = 10000;  // ms
constexpr int kMinHertz = 20, kMaxHertz = 2000;
constexpr int kMaxPercentual = 1000;

struct Tabelas {
  std::vector<TDuracao> duracoes;
  std::vector<TChave> chaves;
  std::vector<TProsodia> regras;
  int base = 230;
  std::array<int, 10> escala{};
};

Tabelas& Pro() {
  static Tabelas t;
  return t;
}

std::vector<std::string>& Difones() {
  static std::vector<std::string> d;
  return d;
}

std::string C(const char* utf8) { return Utf8ToCp1252(utf8); }

std::string MinusculasAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return r;
}

// The body of a section: the lines after its header, up to the next line beginning
// with "[". Empty when the header is absent.
std::optional<std::vector<std::string_view>> Secao(const std::vector<std::string_view>& linhas,
                                                   const std::string& cabecalho) {
  size_t i = 0;
  while (i < linhas.size() && Apara(linhas[i]) != cabecalho) ++i;
  if (i == linhas.size()) return std::nullopt;
  std::vector<std::string_view> corpo;
  for (++i; i < linhas.size() && !linhas[i].starts_with('['); ++i) {
    const std::string_view l = linhas[i];
    if (l.empty() || l[0] == '*' || l[0] == ';') continue;
    corpo.push_back(l);
  }
  return corpo;
}

bool Falha(const std::string& mensagem, std::string_view linha = {}) {
  Avisa(mensagem + LinhaParaAviso(linha));
  return false;
}

bool LeDuracoes(const std::vector<std::string_view>& corpo, Tabelas& t) {
  for (std::string_view l : corpo) {
    const size_t igual = l.find('=');
    if (igual == std::string_view::npos)
      return Falha(C("Configuração da prosódia: fonema errado: "), l);
    if (t.duracoes.size() == kMaxDuracoes)
      return Falha(C("Configuração da prosódia: mais de 100 durações: "), l);
    TDuracao d;
    d.fonema = std::string(Apara(l.substr(0, igual)).substr(0, 2));
    if (!LeInteiro(l.substr(igual + 1), 0, kMaxDuracao, d.duracao)) {
      Avisa(C("Configuração da prosódia: fonema errado: ") + LinhaParaAviso(l));
      d.duracao = 100;
    }
    t.duracoes.push_back(std::move(d));
  }
  return true;
}

bool LeChaves(const std::vector<std::string_view>& corpo, Tabelas& t) {
  for (std::string_view l : corpo) {
    const size_t igual = l.find('=');
    // The code takes fixed places in the items ("[CC]word"): it needs two characters.
    const std::string codigo =
        igual == std::string_view::npos ? "" : MaiusculasCp1252(Apara(l.substr(igual + 1)));
    if (codigo.size() < 2) return Falha(C("Configuração da prosódia: chave errada: "), l);
    if (t.chaves.size() == kMaxChaves)
      return Falha(C("Configuração da prosódia: mais de 1000 chaves: "), l);
    t.chaves.push_back({MaiusculasCp1252(Apara(l.substr(0, igual))), codigo.substr(0, 2)});
  }
  std::stable_sort(t.chaves.begin(), t.chaves.end(),
                   [](const TChave& a, const TChave& b) { return a.palavra < b.palavra; });
  return true;
}

bool PadraoValido(std::string_view p) {
  auto digito = [](char c) { return c >= '0' && c <= '9'; };
  return p.size() == 3 && (digito(p[0]) || p[0] == '?') && digito(p[1]) && digito(p[2]);
}

bool LeRegras(const std::vector<std::string_view>& corpo, Tabelas& t) {
  for (std::string_view bruta : corpo) {
    const std::string l = MaiusculasCp1252(bruta);
    const size_t igual = l.find('=');
    if (igual == std::string::npos) return Falha(C("Configuração da prosódia: chave errada: "), l);
    const std::string_view nome = Apara(std::string_view(l).substr(0, igual));
    const std::string_view valor = Apara(std::string_view(l).substr(igual + 1));
    if (nome == "HERTZ") {
      if (!LeInteiro(valor, kMinHertz, kMaxHertz, t.base))
        return Falha(C("Configuração da prosódia: HERTZ errado: "), l);
      continue;
    }
    if (nome == "TABHERTZ") {
      std::array<int, 10> escala{};
      size_t campo = 0, inicio = 0;
      bool ok = true;
      while (ok) {
        const size_t virgula = valor.find(',', inicio);
        const std::string_view v =
            valor.substr(inicio, virgula == valor.npos ? valor.npos : virgula - inicio);
        ok = campo < 10 && LeInteiro(v, 0, kMaxPercentual, escala[campo]);
        ++campo;
        if (virgula == valor.npos) break;
        inicio = virgula + 1;
      }
      if (!ok || campo != 10) return Falha(C("Configuração da prosódia: TABHERTZ errado: "), l);
      t.escala = escala;
      continue;
    }
    if (t.regras.size() == kMaxRegrasProsodia)
      return Falha(C("Configuração da prosódia: mais de 300 regras: "), l);
    TProsodia r;
    std::string_view resto = nome;
    std::string* campos[3] = {&r.anterior, &r.atual, &r.seguinte};
    for (int i = 0; i < 3 && !resto.empty(); ++i) {
      const size_t barra = i < 2 ? resto.find('|') : std::string_view::npos;
      *campos[i] = std::string(Apara(resto.substr(0, barra)).substr(0, 3));
      resto = barra == std::string_view::npos ? std::string_view() : resto.substr(barra + 1);
    }
    r.padrao = std::string(valor);
    if (!PadraoValido(r.padrao)) return Falha(C("Configuração da prosódia: padrão errado: "), l);
    t.regras.push_back(std::move(r));
  }
  return true;
}

}  // namespace

bool CarregaProsodiaDeTexto(std::string_view conteudo) {
  Tabelas& atual = Pro();
  atual.duracoes.clear();
  atual.chaves.clear();
  atual.regras.clear();
  atual.base = 230;

  Tabelas t;
  t.escala = atual.escala;
  const std::vector<std::string_view> linhas = SeparaLinhas(conteudo);
  const auto duracoes = Secao(linhas, C("[DURAÇÃO]"));
  if (!duracoes) return Falha(C("Duração dos difones errada ou ausente"));
  if (!LeDuracoes(*duracoes, t)) return false;
  const auto chaves = Secao(linhas, C("[CHAVES]"));
  if (!chaves) return Falha(C("Prosódia: palavras chaves ausentes"));
  if (!LeChaves(*chaves, t)) return false;
  const auto regras = Secao(linhas, C("[PROSÓDIA]"));
  if (!regras) return Falha(C("Prosódia: especificações ausentes"));
  if (!LeRegras(*regras, t)) return false;
  atual = std::move(t);
  return true;
}

bool CarregaProsodia(const std::string& caminho) {
  std::string conteudo;
  if (!LeArquivoDados(caminho, conteudo)) {
    Pro().duracoes.clear();
    Pro().chaves.clear();
    Pro().regras.clear();
    Pro().base = 230;
    return Falha(C("Configuração da prosódia não foi achada"));
  }
  return CarregaProsodiaDeTexto(conteudo);
}

void CarregaDifonesDeTexto(std::string_view conteudo) {
  auto nome = [](char c) {
    return c == '2' || c == '@' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  };
  std::vector<std::string>& lista = Difones();
  lista.clear();
  for (std::string_view l : SeparaLinhas(conteudo)) {
    l = Apara(l);
    if (l.empty() || l[0] == '!' || l[0] == '*' || l[0] == ';') continue;
    size_t i = 0;
    while (i < l.size() && nome(l[i])) ++i;
    const std::string_view primeiro = l.substr(0, i);
    size_t j = i + 1;  // past the separator
    while (j < l.size() && !nome(l[j])) ++j;
    size_t k = j;
    while (k < l.size() && nome(l[k])) ++k;
    const std::string_view segundo = j < l.size() ? l.substr(j, k - j) : std::string_view();
    // A line without two names describes no diphone.
    if (primeiro.empty() || segundo.empty()) continue;
    lista.push_back(MinusculasAscii(primeiro) + '-' + MinusculasAscii(segundo));
  }
  std::sort(lista.begin(), lista.end());
  lista.erase(std::unique(lista.begin(), lista.end()), lista.end());
}

bool CarregaDifones(const std::string& caminho) {
  Difones().clear();
  std::string conteudo;
  if (!LeArquivoDados(caminho, conteudo)) return false;
  CarregaDifonesDeTexto(conteudo);
  return true;
}

void LiberaDifones() {
  Difones().clear();
  Difones().shrink_to_fit();
}

int DuracaoDe(std::string_view fonema) {
  for (const TDuracao& d : Pro().duracoes) {
    if (d.fonema == fonema) return d.duracao;
  }
  return 100;
}

std::string CodigoDe(std::string_view palavra) {
  const std::vector<TChave>& c = Pro().chaves;
  if (c.empty()) return {};
  const std::string chave = MaiusculasCp1252(palavra);
  size_t lo = 0, hi = c.size();
  while (lo < hi) {
    const size_t meio = lo + (hi - lo) / 2;
    const int cmp = chave.compare(c[meio].palavra);
    if (cmp == 0) return c[meio].codigo;
    if (cmp < 0) {
      hi = meio;
    } else {
      lo = meio + 1;
    }
  }
  return {};
}

bool ExisteDifone(std::string_view primeiro, std::string_view segundo) {
  const std::vector<std::string>& lista = Difones();
  if (lista.empty()) return false;
  std::string chave = MinusculasAscii(primeiro);
  chave += '-';
  chave += MinusculasAscii(segundo);
  return std::binary_search(lista.begin(), lista.end(), chave);
}

const std::vector<TDuracao>& Duracoes() { return Pro().duracoes; }
const std::vector<TChave>& Chaves() { return Pro().chaves; }
const std::vector<TProsodia>& RegrasProsodia() { return Pro().regras; }
int FrequenciaBase() { return Pro().base; }
const std::array<int, 10>& EscalaFrequencias() { return Pro().escala; }
size_t NumeroDeDifones() { return Difones().size(); }

}  // namespace mg
