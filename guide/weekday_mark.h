#pragma once
// The day-of-week mark written after a date on the pages: Sunday red,
// Saturday sky blue.

namespace plimod {

// "(<font color=red>日</font>)", "(月)" ... "(<font color=skyblue>土</font>)"
// for 0 (Sunday) to 6; "" outside.
const char* WeekdayMark(int dayOfWeek);

}  // namespace plimod
