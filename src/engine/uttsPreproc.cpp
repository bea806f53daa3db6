#include "engine/uttsPreproc.h"

#include <array>
#include <unordered_map>
#include <vector>

#include "common/cp1252.h"
#include "engine/uttsArquivo.h"
#include "engine/uttsAviso.h"
#include "engine/uttsPreprocLeituras.h"
#include "legacy/dicionario.h"

namespace mg {
namespace {

constexpr size_t kMaxExpansao = 255;

// Character sets, indexed by byte.
struct Conjuntos {
  std::array<bool, 256> letra{}, consoante{}, mantida{};
};

const Conjuntos& Sets() {
  static const Conjuntos c = [] {
    Conjuntos s;
    auto marca = [](std::array<bool, 256>& t, const char* utf8) {
      for (unsigned char b : Utf8ToCp1252(utf8)) t[b] = true;
    };
    marca(s.letra,
          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
          "ÀÁÂÃÇÉÊÌÍÑÓÔÕÙÚÜàáâãçéêìíñóôõùúü");
    marca(s.consoante, "BCDFGHJKLMNPQRSTVWXYZbcdfghjklmnpqrstvwxyzÇÑçñ");
    marca(s.mantida, " !(),.:;?");
    return s;
  }();
  return c;
}

// Names of the codes 32-126 and 161-220; 225-255 share those of 32 lower.
const std::array<std::string, 256>& Nomes() {
  static const std::array<std::string, 256> nomes = [] {
    std::array<std::string, 256> n;
    static const char* const baixos[] = {"espaço",
                                         "exclamação",
                                         "aspas",
                                         "sustenido",
                                         "cifrão",
                                         "porcento",
                                         "é comercial",
                                         "apóstrofo",
                                         "abre parênteses",
                                         "fecha parênteses",
                                         "asterisco",
                                         "mais",
                                         "vírgula",
                                         "traço",
                                         "ponto",
                                         "barra",
                                         "zéro",
                                         "um",
                                         "dois",
                                         "três",
                                         "quatro",
                                         "cinco",
                                         "seis",
                                         "séte",
                                         "oito",
                                         "nóve",
                                         "dois pontos",
                                         "ponto e vírgula",
                                         "menor que",
                                         "igual",
                                         "maior que",
                                         "interrogação",
                                         "arrôba",
                                         "a",
                                         "bê",
                                         " sê",
                                         " dê",
                                         "é",
                                         "éfe",
                                         "jê",
                                         "agá",
                                         "i",
                                         "jóta",
                                         "cá",
                                         "éle",
                                         "ême",
                                         "êne",
                                         "ó",
                                         "pê",
                                         "quê",
                                         "érre",
                                         "ésse",
                                         "tê",
                                         "u",
                                         "vê",
                                         "dábliu",
                                         "xis",
                                         "ípsilon",
                                         "zê",
                                         "abre colchete",
                                         "raiz",
                                         "fecha colchete",
                                         "circunflexo",
                                         "sublinhado",
                                         "crase"};
    static const char* const chaves[] = {"abre chave", "barra vertical", "fecha chave", "til"};
    static const char* const altos[] = {"exclamação reversa",
                                        "centavos de dólar",
                                        "libras",
                                        "símbolo de moeda",
                                        "iene",
                                        "barra interrompida",
                                        "parágrafo",
                                        "trema",
                                        "copyright",
                                        "ordinal feminino",
                                        "Aspas esquerdas",
                                        "negação",
                                        "hífen",
                                        "Marca registrada",
                                        "mácron",
                                        "grau",
                                        "mais ou menos",
                                        "elevado ao quadrado",
                                        "elevado ao cubo",
                                        "acento agudo",
                                        "mi",
                                        "pi",
                                        "ponto no meio",
                                        "cedilha",
                                        "expoente um",
                                        "ordinal masculino",
                                        "aspas direitas",
                                        "um quarto",
                                        "um meio",
                                        "três quartos",
                                        "interrogação reversa",
                                        "A grave",
                                        "A agudo",
                                        "A circunflexo",
                                        "A com til",
                                        "A com trema",
                                        "A bola",
                                        "A É",
                                        "Cê cedilha",
                                        "É grave",
                                        "É agudo",
                                        "É circunflexo",
                                        "É com trema",
                                        "I grave",
                                        "I agudo",
                                        "I circunflexo",
                                        "I com trema",
                                        "Dê cortado",
                                        "N com til",
                                        "Ó grave",
                                        "Ó agudo",
                                        "Ó circunflexo",
                                        "Ó com til",
                                        "Ó tremado",
                                        "vezes",
                                        "Ó cortado",
                                        "U grave",
                                        "U agudo",
                                        "U circunflexo",
                                        "U com trema"};
    static_assert(std::size(baixos) == 97 - 32 && std::size(chaves) == 127 - 123 &&
                  std::size(altos) == 221 - 161);
    int c = 32;
    for (const char* s : baixos) n[c++] = Utf8ToCp1252(s);  // 32-96
    for (int l = 'a'; l <= 'z'; ++l) n[l] = n[l - 32];
    c = 123;
    for (const char* s : chaves) n[c++] = Utf8ToCp1252(s);  // 123-126
    c = 161;
    for (const char* s : altos) n[c++] = Utf8ToCp1252(s);  // 161-220
    for (int l = 225; l <= 255; ++l) n[l] = n[l - 32];
    return n;
  }();
  return nomes;
}

struct TabelaAbreviaturas {
  int quantidade = 0;
  std::unordered_map<std::string, std::string> porChave;  // first entry of a key wins
};

TabelaAbreviaturas& Abrevs() {
  static TabelaAbreviaturas t;
  return t;
}

const std::string& Virgula() {
  static const std::string v = Utf8ToCp1252("vírgula ");
  return v;
}
const std::string& Traco() {
  static const std::string v = Utf8ToCp1252(" traço");
  return v;
}

bool Digito(char c) { return c >= '0' && c <= '9'; }

// Reads a number at p (a digit) and returns its words; p moves past it. Up to
// `semHifen` the text is known to hold no hyphenated stretch, so that a long run of
// digits read 15 at a time is scanned once.
std::string LeNumero(std::string_view t, size_t& p, size_t& semHifen) {
  const size_t n = t.size();
  // A stretch of digits holding a hyphen is read digit by digit: telephones, codes.
  size_t q = p;
  bool hifen = false;
  if (p >= semHifen) {
    while (q < n && (Digito(t[q]) || t[q] == '-')) hifen |= t[q++] == '-';
    if (!hifen) semHifen = q;
  }
  if (hifen) {
    std::string r;
    for (; p < q; ++p) {
      if (t[p] == '-') {
        r += Traco();
      } else {
        r += ' ';
        r += ExtensoCardinal(static_cast<uint64_t>(t[p] - '0'));
      }
    }
    return r;
  }
  std::string prefixo;
  while (t[p] == '0' && p + 1 < n && Digito(t[p + 1])) {
    prefixo += "zero ";
    ++p;
  }
  uint64_t valor = 0;
  int digitos = 0;
  while (p < n) {
    if (Digito(t[p])) {
      if (digitos == 15) break;  // the rest is read as a new number
      valor = valor * 10 + static_cast<uint64_t>(t[p] - '0');
      ++digitos;
      ++p;
    } else if (t[p] == '.' && digitos < 15 && p + 3 < n && Digito(t[p + 1]) && Digito(t[p + 2]) &&
               Digito(t[p + 3]) && (p + 4 >= n || !Digito(t[p + 4]))) {
      ++p;  // thousands point
    } else {
      break;
    }
  }
  if (p < n) {
    const char c = t[p];
    const bool genero = c == 'o' || c == 'a';
    if (c == '\xba' || c == '\xaa') {
      ++p;
      return ExtensoOrdinal(valor, c == '\xaa');
    }
    if (genero && p + 1 < n && t[p + 1] == '.') {
      p += 2;
      return ExtensoOrdinal(valor, c == 'a');
    }
    if (genero && p + 2 < n && t[p + 1] == 's' && t[p + 2] == '.') {
      p += 3;
      return ExtensoOrdinal(valor, c == 'a', true);
    }
  }
  return prefixo + ExtensoCardinal(valor);
}

std::string Soletra(std::string_view palavra) {
  std::string r;
  for (char c : palavra) {
    r += ' ';
    r += NomeDoCaractere(c);
  }
  return r;
}

bool Maiuscula(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (u >= 0xc0 && u <= 0xdd && u != 0xd7);
}

bool SoMaiusculas(const std::string& palavra) {
  for (char c : palavra) {
    if (c < 'A' || c > 'Z') return false;
  }
  return !palavra.empty();
}

// A short word in capitals is an acronym and is spelled (USB, IBGE, INSS) unless the
// acronym list says it as a word (ONU). Amid small letters every unlisted one is spelled;
// in a text all in capitals only those that cannot be said as Portuguese syllables.
bool Sigla(const std::string& palavra, std::string_view texto) {
  if (palavra.size() < 2 || palavra.size() > 5 || !SoMaiusculas(palavra)) return false;
  if (preproc::SiglaFalada(palavra)) return false;
  bool minusculas = false;
  for (char c : texto) minusculas |= c >= 'a' && c <= 'z';
  return minusculas || !preproc::SiglaPronunciavel(palavra);
}

// A listed acronym with a pronunciation of its own is read as that.
std::string PronunciaSigla(const std::string& palavra) {
  return SoMaiusculas(palavra) ? preproc::PronunciaDaSigla(palavra) : std::string();
}

}  // namespace

namespace preproc {
bool EhLetra(char c) { return Sets().letra[static_cast<unsigned char>(c)]; }
bool EhConsoante(char c) { return Sets().consoante[static_cast<unsigned char>(c)]; }
bool EhPontuacaoMantida(char c) { return Sets().mantida[static_cast<unsigned char>(c)]; }
}  // namespace preproc

void CarregaAbreviaturasDeTexto(std::string_view conteudo) {
  TabelaAbreviaturas& t = Abrevs();
  t.quantidade = 0;
  t.porChave.clear();
  for (std::string_view linha : SeparaLinhas(conteudo)) {
    linha = Apara(linha);
    if (linha.empty() || linha[0] == ';') continue;
    if (t.quantidade == kMaxAbreviaturas) {
      Avisa(Utf8ToCp1252("Arquivo de abreviaturas: mais de 2000 entradas; ignoradas a partir "
                         "de: ") +
            LinhaParaAviso(linha));
      return;
    }
    ++t.quantidade;
    const size_t igual = linha.find('=');
    if (igual == std::string_view::npos) continue;  // an empty key never matches
    std::string chave = MaiusculasCp1252(Apara(linha.substr(0, igual)));
    if (chave.empty()) continue;
    std::string_view expansao = Apara(linha.substr(igual + 1));
    t.porChave.try_emplace(std::move(chave), expansao.substr(0, kMaxExpansao));
  }
}

bool CarregaAbreviaturas(const std::string& caminho) {
  Abrevs().quantidade = 0;
  Abrevs().porChave.clear();
  std::string conteudo;
  if (!LeArquivoDados(caminho, conteudo)) return false;
  CarregaAbreviaturasDeTexto(conteudo);
  // The acronyms said as words live beside the abbreviations; without that file every
  // acronym is spelled.
  const size_t barra = caminho.find_last_of("/\\");
  preproc::CarregaSiglas(caminho.substr(0, barra == std::string::npos ? 0 : barra + 1) +
                         "portug.sig");
  return true;
}

int NumeroDeAbreviaturas() { return Abrevs().quantidade; }

std::string Abreviatura(std::string_view palavra) {
  const auto& mapa = Abrevs().porChave;
  if (mapa.empty()) return {};
  auto it = mapa.find(MaiusculasCp1252(palavra));
  return it == mapa.end() ? std::string() : it->second;
}

const std::string& NomeDoCaractere(char c) { return Nomes()[static_cast<unsigned char>(c)]; }

std::string PreProcessa(std::string_view entrada) {
  using preproc::EhConsoante;
  using preproc::EhLetra;
  using preproc::EhPontuacaoMantida;

  // A lone character is read by its name. Tabs and line ends separate words like
  // blanks do (dropping them would glue the words of consecutive lines together).
  std::string texto = entrada.size() == 1 ? NomeDoCaractere(entrada[0]) : std::string(entrada);
  for (char& c : texto) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  const std::string_view t = texto;
  const size_t n = t.size();

  std::string out;
  out.reserve(n + n / 2);
  size_t p = 0, semHifen = 0;
  size_t fimNumero = std::string_view::npos;  // where the last number read ended
  bool numeroUm = false;                      // that number was exactly 1
  while (p < n) {
    const char c = t[p];
    if (c == '-' && p > 0 && t[p - 1] == ' ' && p + 1 < n && t[p + 1] == ' ') {
      out += ',';  // a dash between blanks is a pause
      ++p;
    } else if (c == '-' && p + 1 < n && Digito(t[p + 1])) {
      out += "menos ";
      ++p;
    } else if (Digito(c)) {
      if (preproc::LeData(t, p, out) ||
          preproc::LeHora(t, p, preproc::PreposicaoDeHora(t.substr(0, p)), out)) {
        fimNumero = std::string_view::npos;
        continue;
      }
      const size_t inicio = p;
      out += ' ';
      out += LeNumero(t, p, semHifen);
      out += ' ';
      while (p + 1 < n && (t[p] == ',' || t[p] == '.') && Digito(t[p + 1])) {
        out += t[p] == ',' ? Virgula() : std::string("ponto ");
        ++p;
        out += LeNumero(t, p, semHifen);
        out += ' ';
      }
      fimNumero = p;
      numeroUm = t.substr(inicio, p - inicio) == "1";
    } else if (EhLetra(c)) {
      const size_t inicio = p;
      std::string palavra;
      while (p < n && EhLetra(t[p])) {
        palavra += t[p++];
        if (p < n && t[p] == '-') palavra += t[p++];
      }
      // A unit right after a number: "700 MB", "2 kg" (with or without its point).
      bool aposNumero = fimNumero != std::string_view::npos && fimNumero <= inicio;
      for (size_t k = aposNumero ? fimNumero : inicio; k < inicio; ++k) aposNumero &= t[k] == ' ';
      fimNumero = std::string_view::npos;
      bool soConsoantes = true;
      for (char l : palavra) soConsoantes &= l == '-' || EhConsoante(l);
      const bool ponto = p < n && t[p] == '.';
      // A point that ends the text also ends the abbreviation before it: it is expanded
      // and the point stays, ending the sentence.
      size_t depois = p + 1;
      while (ponto && depois < n && t[depois] == ' ') ++depois;
      const bool pontoFinal = ponto && depois >= n;
      const std::string expansao = ponto ? Abreviatura(palavra) : std::string();
      std::string simbolo;  // "nº", "R$": a key made of the word and the sign after it
      if (!ponto && p < n && !EhPontuacaoMantida(t[p]) && !Digito(t[p]))
        simbolo = Abreviatura(palavra + t[p]);
      const std::string chaveSimbolo = simbolo.empty() ? "" : MaiusculasCp1252(palavra + t[p]);
      // A size unit is never an abbreviation: a point after it ends the sentence.
      const std::string tamanho =
          aposNumero ? preproc::UnidadeDeTamanho(palavra, numeroUm) : std::string();
      const std::string unidade = aposNumero && (!ponto || pontoFinal) && tamanho.empty()
                                      ? Abreviatura(palavra)
                                      : std::string();
      size_t q = p + 1;
      if (chaveSimbolo == "R$" || chaveSimbolo == "US$") {
        if (preproc::LeDinheiro(t, q, chaveSimbolo == "US$", out)) {
          p = q;
        } else {
          out += simbolo;  // a sign without an amount keeps its name
          ++p;
        }
      } else if (palavra == "S" && ponto && p + 2 < n && t[p + 1] == ' ' && Maiuscula(t[p + 2])) {
        out += Utf8ToCp1252("São");  // S. Paulo
        ++p;
      } else if (!tamanho.empty()) {
        out += tamanho;
      } else if (!unidade.empty()) {
        out += numeroUm && unidade.ends_with('s') ? unidade.substr(0, unidade.size() - 1) : unidade;
      } else if (ponto && !expansao.empty() && (pontoFinal || (p + 1 < n && t[p + 1] == ' '))) {
        out += expansao;
        if (!pontoFinal) ++p;
      } else if (!simbolo.empty()) {
        out += simbolo;
        ++p;
      } else if (soConsoantes && expansao.empty()) {
        out += Soletra(palavra);
      } else if (Sigla(palavra, t) && !(ponto && !expansao.empty())) {
        out += Soletra(palavra);
      } else if (const std::string dita = PronunciaSigla(palavra); !dita.empty()) {
        out += dita;
      } else {
        out += palavra;
      }
    } else if (t.substr(p, 3) == "...") {
      out += "... ";
      p += 3;
    } else if (c == '.' && p + 1 < n && t[p + 1] != ' ') {
      out += " ponto ";
      ++p;
    } else if (EhPontuacaoMantida(c)) {
      out += c;
      ++p;
    } else {
      out += ' ';
      out += NomeDoCaractere(c);
      out += ' ';
      ++p;
    }
  }
  return out;
}

}  // namespace mg
