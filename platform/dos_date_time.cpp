// DOS dates and times (zip and cabinet entries) from and to Unix seconds, in local time.
#include <ctime>

#include "platform/file_system.h"

namespace krax {

namespace {

bool LocalTime(std::time_t t, std::tm& local) {
#ifdef _WIN32
  return ::localtime_s(&local, &t) == 0;
#else
  return ::localtime_r(&t, &local) != nullptr;
#endif
}

}  // namespace

DosDateTime ToDosDateTime(std::int64_t unixSeconds) {
  std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  DosDateTime out;
  if (!LocalTime(t, local) || local.tm_year < 80) {
    out.date = (1 << 5) | 1;  // 1980-01-01 00:00:00, the earliest DOS time
    return out;
  }
  if (local.tm_year > 80 + 127) {
    out.date = static_cast<std::uint16_t>((127 << 9) | (12 << 5) | 31);
    out.time = static_cast<std::uint16_t>((23 << 11) | (59 << 5) | 29);
    return out;
  }
  out.date = static_cast<std::uint16_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
  out.time = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
  return out;
}

std::int64_t FromDosDateTime(DosDateTime when) {
  std::tm local{};
  local.tm_year = 80 + (when.date >> 9);
  int month = (when.date >> 5) & 0x0F;
  int day = when.date & 0x1F;
  local.tm_mon = (month < 1 ? 1 : month > 12 ? 12 : month) - 1;
  local.tm_mday = day < 1 ? 1 : day;
  local.tm_hour = when.time >> 11;
  local.tm_min = (when.time >> 5) & 0x3F;
  local.tm_sec = (when.time & 0x1F) * 2;
  local.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&local));
}

}  // namespace krax
