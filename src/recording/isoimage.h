// An ISO 9660 image file given where a directory was asked for: recognised by its
// primary volume descriptor, and offered to be written to the disc as it is.
#pragma once

#include <cstdint>
#include <string>

namespace mg {

// Whether `path` is a regular file holding an ISO 9660 primary volume descriptor at
// 32 KiB (type 1, "CD001", version 1); `bytes` is then the file's size.
bool IsIsoImageFile(const std::string& path, int64_t& bytes);

// "Arquivo de imagem: NOME, N megabytes. Gravar a imagem como está? S/N" (cp1252; the
// file's name part, megabytes of 2^20 bytes rounded up).
std::string IsoImageQuestion(const std::string& path, int64_t bytes);

}  // namespace mg
