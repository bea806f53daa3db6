// Scratch files for the legacy tests, removed with the test's directory.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace mg::teste {

class PastaTemp {
 public:
  PastaTemp() {
    std::string modelo = (std::filesystem::temp_directory_path() / "mg-legacy-XXXXXX").string();
    if (::mkdtemp(modelo.data()) != nullptr) dir_ = modelo;
  }
  ~PastaTemp() {
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  // Writes `conteudo` byte for byte into the file `nome` of the folder; its path.
  std::string Escreve(const std::string& nome, std::string_view conteudo) const {
    const std::string p = dir_ + "/" + nome;
    if (FILE* f = std::fopen(p.c_str(), "wb")) {
      std::fwrite(conteudo.data(), 1, conteudo.size(), f);
      std::fclose(f);
    }
    return p;
  }
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
};

}  // namespace mg::teste
