// Profile reader for the sound tests: values come from FakeProfile(), not from a file.
#include <map>
#include <string>

#include "console/sysconfig.h"

namespace mg {

std::map<std::string, std::string>& FakeProfile() {
  static std::map<std::string, std::string> values;
  return values;
}

std::string ReadProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::string_view, size_t bufferSize) {
  const auto it = FakeProfile().find(std::string(section) + "/" + std::string(key));
  std::string v = it == FakeProfile().end() ? std::string(defaultValue) : it->second;
  if (bufferSize > 0 && v.size() > bufferSize - 1) v.resize(bufferSize - 1);
  return v;
}

std::string IniDirectory() { return "c:\\fake"; }

}  // namespace mg
