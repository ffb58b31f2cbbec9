#pragma once
// The reservations as the real server keeps them on disk: Reserve.txt in
// its folder, one reservation-text line each (fields 0 to 24, code page
// 932, CR LF), which the program's reservation form reads. Recording
// folders past the first, and record fields the line has no place for, are
// not kept.

#include <string>
#include <vector>

#include "recorder/srv/srv_records.h"

namespace plimod::test {

std::string FormatReserveFile(const std::vector<SrvReserveData>& reservations);
// Lines of fewer than 17 fields are skipped.
std::vector<SrvReserveData> ParseReserveFile(const std::string& text);

}  // namespace plimod::test
