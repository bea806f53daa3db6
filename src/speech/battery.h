// Battery and mains status from the kernel's power-supply class (Ctrl+F11 in the editor).
#pragma once

#include <string>

namespace mg {

struct PowerStatus {
  bool battery = false;  // a system battery is present
  int percent = -1;      // 0-100, -1 when the battery does not say
  int mains = 255;       // 0 offline, 1 online, 255 unknown
};

// Reads every supply under `root` (normally /sys/class/power_supply). Batteries of
// devices (mice, keyboards: scope "Device") do not count.
PowerStatus ReadPowerStatus(const std::string& root);

// Changes where SpeakBattery looks (tests point it at a directory of their own).
void SetPowerSupplyRoot(std::string root);

// "_SEMBAT" without a battery, else its charge in percent; then "_SEMENER" when the
// mains are off.
void SpeakBattery();

}  // namespace mg
