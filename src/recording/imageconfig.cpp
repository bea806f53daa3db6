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

std::string ImageFilePath() {
  return ImageFilePathFromValue(
      ReadProfileString("GRAVADOR", "IMAGEM", "", IniDirectory() + "\\Sonela.ini"));
}

}  // namespace mg
