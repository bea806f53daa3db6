// Helpers of the engine text tests: cp1252 from UTF-8 literals and back, message capture.
#pragma once

#include <string>
#include <vector>

#include "common/cp1252.h"
#include "engine/uttsAviso.h"

namespace mg::teste {

inline std::string C(const std::string& utf8) { return Utf8ToCp1252(utf8); }
inline std::string U(const std::string& cp1252) { return Cp1252ToUtf8(cp1252); }
inline std::vector<std::string> U(const std::vector<std::string>& v) {
  std::vector<std::string> r;
  for (const auto& s : v) r.push_back(Cp1252ToUtf8(s));
  return r;
}

// Collects the loader messages (as UTF-8) while it lives.
struct Avisos {
  std::vector<std::string> lista;
  Avisos() {
    DefineAvisoMotor([this](const std::string& m) { lista.push_back(Cp1252ToUtf8(m)); });
  }
  ~Avisos() { DefineAvisoMotor({}); }
};

}  // namespace mg::teste
