#include "guide/weekday_mark.h"

namespace plimod {

const char* WeekdayMark(int dayOfWeek) {
  static constexpr const char* kMarks[] = {"(<font color=red>日</font>)", "(月)", "(火)", "(水)",
                                           "(木)", "(金)", "(<font color=skyblue>土</font>)"};
  return dayOfWeek >= 0 && dayOfWeek < 7 ? kMarks[dayOfWeek] : "";
}

}  // namespace plimod
