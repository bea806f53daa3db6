#include "console/minireg.h"

#include <cctype>
#include <cstdlib>

#include "common/cp1252.h"
#include "common/paths.h"

namespace mg {
namespace {

std::string& MbrolaRoot() {
  static std::string root = "/usr/share/mbrola";
  return root;
}

bool IEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool IStartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && IEquals(s.substr(0, prefix.size()), prefix);
}

std::string ConfigHome() {
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') return x;
  return HomeDirectory() + "/.config";
}

bool MbrolaVoice(std::string_view name, std::string& text) {
  if (name.empty() || name.find('/') != std::string_view::npos || name == "." || name == "..") {
    return false;
  }
  std::string lower = Cp1252ToUtf8(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const std::string& path :
       {MbrolaRoot() + "/" + lower + "/" + lower, MbrolaRoot() + "/" + lower}) {
    if (FileExists(path)) {
      text = Utf8ToCp1252(path);
      return true;
    }
  }
  return false;
}

bool FromFile(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
              std::string& text) {
  const std::string section =
      std::string(root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER\\"
                                                    : "HKEY_LOCAL_MACHINE\\") +
      std::string(keyPath);
  const std::string name = valueName.empty() ? "@" : std::string(valueName);
  std::string files[2];
  if (const char* f = std::getenv("MINIREG_FILE"); f && *f) {
    files[0] = f;
  } else {
    files[0] = ConfigHome() + "/Sonela/minireg.ini";
    files[1] = Cp1252ToUtf8(WindowsDirectory()) + "/minireg.ini";
  }
  // A sentinel default tells "absent" apart from an empty value.
  static const char kAbsent[] = "\x01minireg-absent\x01";
  for (const std::string& file : files) {
    if (file.empty()) continue;
    std::string v = ReadProfileString(section, name, kAbsent, Utf8ToCp1252(file), 4096);
    if (v != kAbsent) {
      text = v;
      return true;
    }
  }
  return false;
}

}  // namespace

void SetMbrolaRoot(std::string linuxDir) { MbrolaRoot() = std::move(linuxDir); }

bool ReadRegistryString(RegistryRoot root, std::string_view path, std::string& text) {
  const size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) return false;
  const std::string_view keyPath = path.substr(0, slash);
  const std::string_view valueName = path.substr(slash + 1);

  if (root == RegistryRoot::CurrentUser &&
      IEquals(keyPath, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders") &&
      IEquals(valueName, "AppData")) {
    text = Utf8ToCp1252(ConfigHome());
    return true;
  }
  constexpr std::string_view kMbrola = "SOFTWARE\\TCTS\\Mbrola\\databases";
  if (root == RegistryRoot::LocalMachine) {
    if (IEquals(keyPath, kMbrola)) return MbrolaVoice(valueName, text);
    if (valueName.empty() && IStartsWith(keyPath, kMbrola) && keyPath.size() > kMbrola.size() &&
        keyPath[kMbrola.size()] == '\\') {
      return MbrolaVoice(keyPath.substr(kMbrola.size() + 1), text);
    }
  }
  return FromFile(root, keyPath, valueName, text);
}

}  // namespace mg
