#pragma once
// ReserveRow <-> the newer command set's reservation record. Only the
// fields a row carries are overwritten; the rest keep the record's values.
// The post action's 0 and 4 are exchanged, and the folder text (entries by
// TAB, parts by "*", empty pieces dropped) becomes folder records.

#include "recorder/base/reserve_row.h"
#include "recorder/srv/srv_records.h"

namespace plimod {

void ToSrvReserveData(const ReserveRow& row, SrvReserveData& data);
void FromSrvReserveData(const SrvReserveData& data, ReserveRow& row);
// The same, taking the texts over.
void FromSrvReserveData(SrvReserveData&& data, ReserveRow& row);

// True when `a` is not later than `b`, to the second (day of week and
// milliseconds ignored).
bool SystemTimeLess(const SystemTime& a, const SystemTime& b);

}  // namespace plimod
