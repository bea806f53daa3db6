#include "recording/imageconfig.h"

#include "common/paths.h"
#include "console/sysconfig.h"

namespace mg {

std::string ImageFilePathFromValue(std::string_view value) {
  if (value.empty()) return {};
  std::string path = ToLinuxPath(value);
  if (path.empty()) return {};
  // Relative to the home directory: the current directory is the folder being recorded.
  if (path[0] != '/') path = HomeDirectory() + "/" + path;
  return path;
}

namespace {

std::string GravadorValue(std::string_view key) {
  return ReadProfileString("GRAVADOR", key, "", IniDirectory() + "\\Sonela.ini");
}

}  // namespace

std::string ImageFilePath() { return ImageFilePathFromValue(GravadorValue("IMAGEM")); }

bool GravadorKeyOn(std::string_view value) {
  return value.empty() || (value[0] != 'N' && value[0] != 'n');
}

int WriteSpeedFromValue(std::string_view value) {
  long long speed = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return 0;
    speed = speed * 10 + (c - '0');
    if (speed > 1000000) return 0;  // beyond any drive: a typing error
  }
  return static_cast<int>(speed);
}

int WriteSpeed() { return WriteSpeedFromValue(GravadorValue("VELOCIDADE")); }

bool ProgressSpoken() { return GravadorKeyOn(GravadorValue("PROGRESSO")); }
bool VerifyAfterWriting() { return GravadorKeyOn(GravadorValue("VERIFICAR")); }

}  // namespace mg
