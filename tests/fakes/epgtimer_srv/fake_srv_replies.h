#pragma once
// Encoders for the records the program only receives (tuner reservations
// and recording results), which the test server has to send.

#include <cstdint>
#include <vector>

#include "recorder/srv/srv_records.h"

namespace plimod::test {

std::vector<std::uint8_t> EncodeTunerReserves(const std::vector<SrvTunerReserve>& tuners);
std::vector<std::uint8_t> EncodeRecResults(const std::vector<SrvRecFileInfo>& results);

}  // namespace plimod::test
