#include "console/settings.h"
#include "console/sysconfig.h"

namespace mg {

DisplaySettings LoadDisplaySettings() {
  const std::string file = IniDirectory() + "\\Sonela.ini";
  return ParseDisplaySettings(
      [&file](std::string_view section, std::string_view key, std::string_view def) {
        return ReadProfileString(section, key, def, file, 80);
      });
}

}  // namespace mg
