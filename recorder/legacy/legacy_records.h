#pragma once
// The older command set's records: a ReserveRow laid out flat (no leading
// size; texts as a u32 byte length counting the NUL, then UTF-16LE with
// the NUL; 96 fixed bytes, 108 with every text empty; the post action
// travels as the row holds it), and a tuner (name, u32 id, u32 count, ids).
// Readers check every length against what is left of the body and never
// read past it; a record that does not fit fails whole.

#include <cstdint>
#include <span>
#include <vector>

#include "recorder/base/reserve_row.h"
#include "recorder/srv/srv_connection.h"

namespace plimod::EpgTimerSrvLegacyClient {

void WriteReserveRecord(const ReserveRow& row, CommandPacket& packet);
void WriteId(std::uint32_t id, CommandPacket& packet);
// The count, then each row's record size and record.
void WriteReserveList(const std::vector<ReserveRow>& rows, CommandPacket& packet);

// After the extra text, the last four fields are read only when all 16
// bytes are there; otherwise they become 0, 10, 2 and 0.
[[nodiscard]] bool ReadReserveRecord(ReserveRow& row, std::span<const std::uint8_t> body);
[[nodiscard]] bool ReadTunerReserveRecord(TunerReserveRow& tuner,
                                          std::span<const std::uint8_t> body);

}  // namespace plimod::EpgTimerSrvLegacyClient
