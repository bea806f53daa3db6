#include "recording/discfailure.h"

#include "common/cp1252.h"

namespace mg {

std::string DiskNameForUser(const std::string& bytes) {
  bool lossless = false;
  std::string text = Utf8ToCp1252(bytes, '?', &lossless);
  // Not UTF-8 (or beyond cp1252): the bytes as they are, read as cp1252.
  return lossless ? text : bytes;
}

std::string CannotReadSentence(const std::string& shownName) {
  return "N\xe3o \xe9 poss\xedvel ler: " + DiskNameForUser(shownName);
}

}  // namespace mg
