#include "tools/epgwriter/epg_description.h"

namespace epgwriter {

int64_t JapanSeconds(int year, int month, int day, int hour, int minute, int second) {
  // Days from civil (proleptic Gregorian), counted from 1970-01-01.
  int y = year - (month <= 2 ? 1 : 0);
  int era = (y >= 0 ? y : y - 399) / 400;
  int yoe = y - era * 400;
  int mp = (month + 9) % 12;
  int doy = (153 * mp + 2) / 5 + day - 1;
  int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  int64_t days = int64_t{era} * 146097 + doe - 719468;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace epgwriter
