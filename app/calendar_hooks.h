#pragma once
// Connects the calendar schedule to the parts that read it without
// depending on it: the programme table's marks and the title template.

namespace plimod {

void ConnectCalendarSchedule();

}  // namespace plimod
