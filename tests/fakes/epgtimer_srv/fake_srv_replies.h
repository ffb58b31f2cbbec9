#pragma once
// Encoders for the records the program only receives (tuner reservations
// and recording results), which the test server has to send, and the
// refusal of adds that both command sets answer.

#include <cstdint>
#include <string>
#include <vector>

#include "recorder/srv/srv_records.h"

namespace plimod::test {

std::vector<std::uint8_t> EncodeTunerReserves(const std::vector<SrvTunerReserve>& tuners);
std::vector<std::uint8_t> EncodeRecResults(const std::vector<SrvRecFileInfo>& results);

// Whether an add of a row with `title` is refused (`refused` not empty and
// inside it).
inline bool TitleRefused(const std::wstring& title, const std::wstring& refused) {
  return !refused.empty() && title.find(refused) != std::wstring::npos;
}

}  // namespace plimod::test
