#include "engine/uttsPreprocLeituras.h"

#include <array>
#include <set>

#include "common/cp1252.h"
#include "engine/uttsArquivo.h"
#include "engine/uttsPreproc.h"
#include "legacy/dicionario.h"

namespace mg::preproc {
namespace {

bool Digito(char c) { return c >= '0' && c <= '9'; }

// Reads 1..maximo digits at q; false when there are none or more than maximo.
bool Digitos(std::string_view t, size_t& q, int maximo, unsigned& valor, int& quantos) {
  valor = 0;
  quantos = 0;
  while (q < t.size() && Digito(t[q])) {
    if (++quantos > maximo) return false;
    valor = valor * 10 + static_cast<unsigned>(t[q++] - '0');
  }
  return quantos > 0;
}

bool Termina(std::string_view t, size_t q) {
  return q >= t.size() || (!EhLetra(t[q]) && !Digito(t[q]));
}

std::string Palavra(const char* utf8) { return Utf8ToCp1252(utf8); }

void Junta(std::string& out, const std::string& s) {
  out += ' ';
  out += s;
  out += ' ';
}

std::set<std::string>& Siglas() {
  static std::set<std::string> s;
  return s;
}

}  // namespace

std::string Feminino(std::string palavras) {
  if (palavras == "um" || palavras.ends_with(" um")) return palavras + "a";
  if (palavras == "dois" || palavras.ends_with(" dois")) {
    palavras.replace(palavras.size() - 4, 4, "duas");
  }
  return palavras;
}

bool LeData(std::string_view t, size_t& p, std::string& out) {
  size_t q = p;
  unsigned dia = 0, mes = 0, ano = 0;
  int n = 0;
  if (!Digitos(t, q, 2, dia, n) || q >= t.size() || t[q] != '/') return false;
  ++q;
  if (!Digitos(t, q, 2, mes, n) || q >= t.size() || t[q] != '/') return false;
  ++q;
  if (!Digitos(t, q, 4, ano, n) || n != 4) return false;
  if (q < t.size() && (t[q] == '/' || EhLetra(t[q]))) return false;
  static constexpr std::array<unsigned, 12> kDias{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (mes < 1 || mes > 12 || dia < 1 || dia > kDias[mes - 1]) return false;
  if (mes == 2 && dia == 29 && (ano % 4 != 0 || (ano % 100 == 0 && ano % 400 != 0))) return false;
  static const std::array<std::string, 12> kMeses{"janeiro",  "fevereiro", "março",    "abril",
                                                  "maio",     "junho",     "julho",    "agosto",
                                                  "setembro", "outubro",   "novembro", "dezembro"};
  std::string r = dia == 1 ? std::string("primeiro") : ExtensoCardinal(dia);
  r += " de " + Palavra(kMeses[mes - 1].c_str()) + " de " + ExtensoCardinal(ano);
  Junta(out, r);
  p = q;
  return true;
}

bool LeHora(std::string_view t, size_t& p, bool aposPreposicao, std::string& out) {
  size_t q = p;
  unsigned h = 0, m = 0;
  int n = 0;
  if (!Digitos(t, q, 2, h, n) || q >= t.size() || h > 24) return false;
  bool temMinutos = false;
  if (t[q] == 'h' || t[q] == 'H') {
    ++q;
    if (q < t.size() && Digito(t[q])) {
      if (!Digitos(t, q, 2, m, n) || n != 2 || m > 59) return false;
      temMinutos = true;
      if (t.substr(q, 3) == "min") q += 3;
    }
    if (!Termina(t, q)) return false;
  } else if (t[q] == ':' && aposPreposicao) {
    ++q;
    if (!Digitos(t, q, 2, m, n) || n != 2 || m > 59) return false;
    if (q < t.size() && (t[q] == 'h' || t[q] == 'H')) ++q;
    if (!Termina(t, q) || (q < t.size() && t[q] == ':')) return false;
    temMinutos = m != 0;
  } else {
    return false;
  }
  std::string r = Feminino(ExtensoCardinal(h)) + (h == 1 ? " hora" : " horas");
  if (temMinutos) r += " e " + ExtensoCardinal(m) + (m == 1 ? " minuto" : " minutos");
  Junta(out, r);
  p = q;
  return true;
}

bool LeDinheiro(std::string_view t, size_t& p, bool dolar, std::string& out) {
  size_t q = p;
  while (q < t.size() && t[q] == ' ') ++q;
  if (q >= t.size() || !Digito(t[q])) return false;
  uint64_t inteiro = 0;
  int digitos = 0;
  while (q < t.size()) {
    if (Digito(t[q])) {
      if (++digitos > 15) return false;
      inteiro = inteiro * 10 + static_cast<uint64_t>(t[q++] - '0');
    } else if (t[q] == '.' && q + 3 < t.size() && Digito(t[q + 1]) && Digito(t[q + 2]) &&
               Digito(t[q + 3]) && (q + 4 >= t.size() || !Digito(t[q + 4]))) {
      ++q;  // thousands point
    } else {
      break;
    }
  }
  unsigned centavos = 0;
  if (q + 1 < t.size() && t[q] == ',' && Digito(t[q + 1])) {
    size_t c = q + 1;
    int n = 0;
    if (!Digitos(t, c, 2, centavos, n)) return false;  // three decimals: not money
    if (n == 1) centavos *= 10;
    q = c;
  }
  if (q < t.size() && EhLetra(t[q])) return false;
  const char* um = dolar ? "dólar" : "real";
  const char* varios = dolar ? "dólares" : "reais";
  std::string r;
  if (inteiro > 0 || centavos == 0) {
    r = ExtensoCardinal(inteiro);
    if (r.ends_with(' ')) r.pop_back();  // "mil ", "um milhão "
    // a round million takes "de": um milhão de reais
    const bool de = inteiro >= 1000000 && inteiro % 1000000 == 0;
    r += Palavra(inteiro == 1 ? " " : de ? " de " : " ") + Palavra(inteiro == 1 ? um : varios);
  }
  if (centavos > 0) {
    if (!r.empty()) r += " e ";
    r += ExtensoCardinal(centavos) + (centavos == 1 ? " centavo" : " centavos");
  }
  Junta(out, r);
  p = q;
  return true;
}

bool PreposicaoDeHora(std::string_view antes) {
  size_t fim = antes.size();
  while (fim > 0 && antes[fim - 1] == ' ') --fim;
  size_t ini = fim;
  while (ini > 0 && EhLetra(antes[ini - 1])) --ini;
  const std::string w = MaiusculasCp1252(antes.substr(ini, fim - ini));
  static const std::array<std::string, 4> kPalavras{Palavra("ÀS"), "DAS", Palavra("ATÉ"), "DE"};
  for (const std::string& k : kPalavras) {
    if (w == k) return true;
  }
  return false;
}

std::string UnidadeDeTamanho(std::string_view palavra, bool singular) {
  const std::string w = MaiusculasCp1252(palavra);
  const char* nome = w == "KB"   ? "quilobyte"
                     : w == "MB" ? "megabyte"
                     : w == "GB" ? "gigabyte"
                     : w == "TB" ? "terabyte"
                                 : nullptr;
  if (nome == nullptr) return {};
  return singular ? std::string(nome) : std::string(nome) + "s";
}

void CarregaSiglasDeTexto(std::string_view conteudo) {
  Siglas().clear();
  for (std::string_view linha : SeparaLinhas(conteudo)) {
    linha = Apara(linha);
    if (linha.empty() || linha[0] == ';' || linha.size() > 40) continue;
    Siglas().insert(MaiusculasCp1252(linha));
  }
}

bool CarregaSiglas(const std::string& caminho) {
  Siglas().clear();
  std::string conteudo;
  if (!LeArquivoDados(caminho, conteudo)) return false;
  CarregaSiglasDeTexto(conteudo);
  return true;
}

bool SiglaFalada(std::string_view palavra) { return Siglas().count(std::string(palavra)) != 0; }

}  // namespace mg::preproc
