// libFuzzer target: any bytes go through the older command set's record
// readers without a fault, and a reservation record that reads writes back
// to bytes that read to the same record.
// Build by hand with clang:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     tests/recorder/legacy/fuzz/legacy_records_fuzz.cpp recorder/legacy/legacy_records.cpp \
//     recorder/srv/srv_wire_text.cpp platform/text_codec.cpp -o legacy_records_fuzz

#include <cstdlib>

#include "recorder/legacy/legacy_records.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace legacy = plimod::EpgTimerSrvLegacyClient;
  const std::span<const std::uint8_t> input(data, size);
  plimod::TunerReserveRow tuner;
  (void)legacy::ReadTunerReserveRecord(tuner, input);

  plimod::ReserveRow row;
  if (!legacy::ReadReserveRecord(row, input)) return 0;
  plimod::CommandPacket once;
  legacy::WriteReserveRecord(row, once);
  plimod::ReserveRow again;
  if (!legacy::ReadReserveRecord(again, once.data)) std::abort();
  plimod::CommandPacket twice;
  legacy::WriteReserveRecord(again, twice);
  if (twice.data != once.data) std::abort();
  return 0;
}
