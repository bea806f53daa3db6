// Date and time of day, local time.
#include <ctime>

#include "console/console.h"

namespace mg {

void TodayParts(int& year, int& month, int& day, int& weekday) {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  year = t.tm_year + 1900;
  month = t.tm_mon + 1;
  day = t.tm_mday;
  weekday = t.tm_wday;
}

void NowParts(int& hour, int& minute, int& second, int& hundredths) {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm t{};
  localtime_r(&ts.tv_sec, &t);
  hour = t.tm_hour;
  minute = t.tm_min;
  second = t.tm_sec;
  hundredths = static_cast<int>(ts.tv_nsec / 1000000 / 10);
}

}  // namespace mg
