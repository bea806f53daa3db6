// The fuzz targets hand the loaders a file: one scratch file per process, rewritten
// with each input.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace mg::teste {

inline const std::string& EscreveArquivoFuzz(const uint8_t* data, size_t size) {
  static std::string path = [] {
    char modelo[] = "/tmp/mg-fuzz-legacy-XXXXXX";
    const int fd = ::mkstemp(modelo);
    if (fd >= 0) ::close(fd);
    std::string p = modelo;
    std::atexit([] { std::remove(EscreveArquivoFuzz(nullptr, 0).c_str()); });
    return p;
  }();
  if (data != nullptr) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
      if (size > 0) std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
  }
  return path;
}

}  // namespace mg::teste
