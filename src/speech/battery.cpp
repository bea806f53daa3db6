#include "speech/battery.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include "speech/speech.h"

namespace mg {
namespace {

std::string& Root() {
  static std::string root = "/sys/class/power_supply";
  return root;
}

// One short attribute file, blanks and line end trimmed; empty when unreadable.
std::string ReadAttribute(const std::filesystem::path& dir, const char* name) {
  std::ifstream in(dir / name, std::ios::binary);
  if (!in) return {};
  char buf[64];
  in.read(buf, sizeof buf);
  std::string s(buf, static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '\r')) s.pop_back();
  return s;
}

std::optional<int64_t> ReadNumber(const std::filesystem::path& dir, const char* name) {
  const std::string s = ReadAttribute(dir, name);
  if (s.empty() || s.size() > 18) return std::nullopt;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

}  // namespace

PowerStatus ReadPowerStatus(const std::string& root) {
  PowerStatus st;
  std::error_code ec;
  std::filesystem::directory_iterator it(root, ec);
  if (ec) return st;

  int64_t energyNow = 0, energyFull = 0;
  bool allEnergy = true;
  int capacitySum = 0, capacityCount = 0, batteries = 0;
  bool mainsSeen = false, mainsOnline = false;
  std::string batteryStatus;

  for (const auto& entry : it) {
    const std::filesystem::path dir = entry.path();
    if (ReadAttribute(dir, "scope") == "Device") continue;
    const std::string type = ReadAttribute(dir, "type");
    if (type == "Battery") {
      if (ReadAttribute(dir, "present") == "0") continue;
      ++batteries;
      batteryStatus = ReadAttribute(dir, "status");
      auto now = ReadNumber(dir, "energy_now"), full = ReadNumber(dir, "energy_full");
      if (!now || !full) now = ReadNumber(dir, "charge_now"), full = ReadNumber(dir, "charge_full");
      if (now && full && *full > 0) {
        energyNow += std::min(*now, *full);
        energyFull += *full;
      } else {
        allEnergy = false;
      }
      if (auto cap = ReadNumber(dir, "capacity")) {
        capacitySum += static_cast<int>(std::min<int64_t>(*cap, 100));
        ++capacityCount;
      } else if (now && full && *full > 0) {
        capacitySum += static_cast<int>(std::min<int64_t>(*now * 100 / *full, 100));
        ++capacityCount;
      }
    } else if (!type.empty()) {
      // Mains, USB, USB_C, Wireless ...: an external supply.
      const std::string online = ReadAttribute(dir, "online");
      if (!online.empty()) {
        mainsSeen = true;
        if (online != "0") mainsOnline = true;
      }
    }
  }

  st.battery = batteries > 0;
  if (st.battery) {
    if (batteries > 1 && allEnergy && energyFull > 0) {
      st.percent = static_cast<int>((energyNow * 100 + energyFull / 2) / energyFull);
    } else if (capacityCount > 0) {
      st.percent = capacitySum / capacityCount;
    }
  }
  if (mainsSeen) {
    st.mains = mainsOnline ? 1 : 0;
  } else if (batteryStatus == "Discharging") {
    st.mains = 0;
  } else if (batteryStatus == "Charging" || batteryStatus == "Full") {
    st.mains = 1;
  }
  return st;
}

void SetPowerSupplyRoot(std::string root) { Root() = std::move(root); }

void SpeakBattery() {
  const PowerStatus st = ReadPowerStatus(Root());
  if (!st.battery) {
    PlayRecorded("_SEMBAT");
  } else if (st.percent >= 0) {
    SpeakText(std::to_string(st.percent) + "%");
  } else {
    SoundBeep();  // a battery that does not tell its charge
  }
  if (st.mains == 0) PlayRecorded("_SEMENER");
}

}  // namespace mg
