#pragma once
// Connects the calendar schedule to the parts that read it without
// depending on it: the programme table's marks, the title template and the
// alert page.

namespace plimod {

void ConnectCalendarSchedule();

}  // namespace plimod
