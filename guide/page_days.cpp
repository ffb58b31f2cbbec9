#include "guide/page_days.h"

#include "guide/civil_time.h"

namespace plimod {

std::time_t DayOfDate(const SystemTime& time) { return LocalMidnight(time.wYear, time.wMonth, time.wDay); }

std::time_t AddDays(std::time_t day, int days) {
  const std::tm fields = LocalFields(day);
  return LocalMidnight(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday + days);
}

int DaysFrom(std::time_t from, std::time_t to) {
  const std::tm a = LocalFields(from);
  const std::tm b = LocalFields(to);
  return static_cast<int>(CivilDayNumber(b.tm_year + 1900, b.tm_mon + 1, b.tm_mday) -
                          CivilDayNumber(a.tm_year + 1900, a.tm_mon + 1, a.tm_mday));
}

void SetListStart(EpgEvent& event, std::time_t day, int minute) {
  const std::tm fields = LocalFields(day);
  event.start.wYear = static_cast<std::uint16_t>(fields.tm_year + 1900);
  event.start.wMonth = static_cast<std::uint16_t>(fields.tm_mon + 1);
  event.start.wDay = static_cast<std::uint16_t>(fields.tm_mday);
  event.start.wDayOfWeek = static_cast<std::uint16_t>(fields.tm_wday);
  event.start.wHour = static_cast<std::uint16_t>(minute / 60);
  event.start.wMinute = static_cast<std::uint16_t>(minute % 60);
  event.start.wSecond = 0;
  event.start.wMilliseconds = 0;
}

SystemTime CalendarTimeOf(const SystemTime& listStart) {
  SystemTime time = listStart;
  AddSecondsToSystemTime(time, 0);
  return time;
}

}  // namespace plimod
