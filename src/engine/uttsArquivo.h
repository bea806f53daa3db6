// Reading of the engine's text data files (abbreviations, prosody, diphones).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mg {

// Files larger than this are refused: no data file of the engine comes near it.
constexpr size_t kMaxArquivoDados = 64u << 20;

// Reads a whole data file. `caminho` may be written the suite's Windows way (cp1252,
// backslashes, drive letter). A file that is valid UTF-8 and holds non-ASCII text was
// saved by a UTF-8 editor: it is converted to cp1252 so that its section names and
// accented words read as intended. False when the file cannot be opened or read.
bool LeArquivoDados(const std::string& caminho, std::string& conteudo);

// Splits text into lines at LF, CR LF or CR; the terminators are not kept.
std::vector<std::string_view> SeparaLinhas(std::string_view texto);

// The text without blanks and control characters (codes 0-32) at both ends.
std::string_view Apara(std::string_view s);

// A decimal integer with an optional sign, blanks around it allowed, within [minimo,
// maximo]. False for anything else (empty, other characters, out of range).
bool LeInteiro(std::string_view s, int minimo, int maximo, int& valor);

// A line shortened for a message: at most 100 characters, "..." marking the cut.
std::string LinhaParaAviso(std::string_view linha);

}  // namespace mg
