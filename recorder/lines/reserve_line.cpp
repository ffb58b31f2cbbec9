#include "recorder/lines/reserve_line.h"

#include "platform/text_codec.h"

namespace plimod {

std::string CutLineText(std::string_view cp932) {
  return std::string(cp932.substr(0, Cp932CutPoint(cp932, kReserveLineTextMax)));
}

std::uint32_t ServiceBitsOfOptions(std::int32_t options) {
  std::uint32_t bits = 0;
  if (options & 1) bits |= 0x01;
  if (options & 2) bits |= 0x10;
  if (options & 4) bits |= 0x20;
  return bits;
}

std::int32_t OptionsOfServiceBits(std::uint32_t bits) {
  std::int32_t options = 0;
  if (bits & 0x01) options |= 1;
  if (bits & 0x10) options |= 2;
  if (bits & 0x20) options |= 4;
  return options;
}

std::int64_t DurationSecondsOf(const ReserveLine& line) {
  return std::int64_t{line.durationHours} * 3600 + std::int64_t{line.durationMinutes} * 60 +
         line.durationSeconds;
}

}  // namespace plimod
