#include "engine/uttsArquivo.h"

#include <fstream>

#include "common/cp1252.h"
#include "common/paths.h"

namespace mg {
namespace {

// Valid UTF-8 with at least one multi-byte sequence.
bool PareceUtf8(std::string_view s) {
  bool multibyte = false;
  size_t i = 0;
  while (i < s.size()) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t antes = i;
    if (DecodeUtf8(s, i) == 0xFFFD && i == antes + 1) return false;
    multibyte = true;
  }
  return multibyte;
}

}  // namespace

bool LeArquivoDados(const std::string& caminho, std::string& conteudo) {
  conteudo.clear();
  std::ifstream in(ToLinuxPath(caminho), std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff tamanho = in.tellg();
  if (tamanho < 0 || static_cast<unsigned long long>(tamanho) > kMaxArquivoDados) return false;
  in.seekg(0, std::ios::beg);
  conteudo.resize(static_cast<size_t>(tamanho));
  if (tamanho > 0 && !in.read(conteudo.data(), tamanho)) {
    conteudo.clear();
    return false;
  }
  if (PareceUtf8(conteudo)) conteudo = Utf8ToCp1252(conteudo);
  return true;
}

std::vector<std::string_view> SeparaLinhas(std::string_view texto) {
  std::vector<std::string_view> linhas;
  size_t inicio = 0;
  for (size_t i = 0; i < texto.size(); ++i) {
    if (texto[i] != '\n' && texto[i] != '\r') continue;
    linhas.push_back(texto.substr(inicio, i - inicio));
    if (texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n') ++i;
    inicio = i + 1;
  }
  if (inicio < texto.size()) linhas.push_back(texto.substr(inicio));
  return linhas;
}

std::string_view Apara(std::string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && static_cast<unsigned char>(s[a]) <= ' ') ++a;
  while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ') --b;
  return s.substr(a, b - a);
}

bool LeInteiro(std::string_view s, int minimo, int maximo, int& valor) {
  s = Apara(s);
  bool negativo = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negativo = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || s.size() > 9) return false;
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (negativo) v = -v;
  if (v < minimo || v > maximo) return false;
  valor = static_cast<int>(v);
  return true;
}

std::string LinhaParaAviso(std::string_view linha) {
  if (linha.size() <= 100) return std::string(linha);
  return std::string(linha.substr(0, 100)) + "...";
}

}  // namespace mg
