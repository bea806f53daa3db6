#include "engine/uttsPreprocLeituras.h"

#include <array>
#include <map>
#include <vector>

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

// Acronym -> its written pronunciation (empty: read by its letters).
std::map<std::string, std::string>& Siglas() {
  static std::map<std::string, std::string> s;
  return s;
}

bool Vogal(char c) { return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U' || c == 'Y'; }

bool Ataque(std::string_view c) {
  if (c.size() <= 1) return true;  // none, or any single consonant
  if (c.size() != 2) return false;
  static constexpr std::string_view kGrupos[] = {"PR", "BR", "TR", "DR", "CR", "GR", "FR", "VR",
                                                 "PL", "BL", "CL", "GL", "FL", "CH", "LH", "NH"};
  for (std::string_view g : kGrupos)
    if (c == g) return true;
  return false;
}

bool Coda(std::string_view c, bool final) {
  if (c.empty()) return true;
  if (c.size() == 1) return std::string_view("SRLMNXZ").find(c[0]) != std::string_view::npos;
  return final && (c == "NS" || c == "RS");
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
    if (linha.empty() || linha[0] == ';' || linha.size() > 80) continue;
    const size_t igual = linha.find('=');
    const std::string_view sigla = Apara(linha.substr(0, igual));
    if (sigla.empty() || sigla.size() > 40) continue;
    std::string pronuncia;
    if (igual != std::string_view::npos) pronuncia = std::string(Apara(linha.substr(igual + 1)));
    Siglas()[MaiusculasCp1252(sigla)] = std::move(pronuncia);
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

std::string PronunciaDaSigla(std::string_view palavra) {
  const auto it = Siglas().find(std::string(palavra));
  return it == Siglas().end() ? std::string() : it->second;
}

// The word as consonant runs around vowel runs: C0 V1 C1 ... Vn Cn. C0 must be an onset,
// Cn a final coda, and every inner run a coda followed by an onset.
bool SiglaPronunciavel(std::string_view palavra) {
  std::vector<std::string_view> consoantes;
  size_t i = 0, nucleos = 0;
  while (true) {
    const size_t inicio = i;
    while (i < palavra.size() && !Vogal(palavra[i])) {
      if (palavra[i] < 'A' || palavra[i] > 'Z') return false;
      ++i;
    }
    consoantes.push_back(palavra.substr(inicio, i - inicio));
    if (i == palavra.size()) break;
    while (i < palavra.size() && Vogal(palavra[i])) ++i;
    ++nucleos;
  }
  if (nucleos == 0 || !Ataque(consoantes.front())) return false;
  if (!Coda(consoantes.back(), true)) return false;
  for (size_t k = 1; k + 1 < consoantes.size(); ++k) {
    const std::string_view c = consoantes[k];
    bool divide = false;
    for (size_t corte = 0; corte <= c.size() && !divide; ++corte)
      divide = Coda(c.substr(0, corte), false) && Ataque(c.substr(corte));
    if (!divide) return false;
  }
  for (size_t q = 0; q < palavra.size(); ++q)  // a Q is said only as the QU of QUA
    if (palavra[q] == 'Q' && (q + 1 == palavra.size() || palavra[q + 1] != 'U')) return false;
  return true;
}

}  // namespace mg::preproc
