// libFuzzer target: any bytes go through every record reader without a
// fault, and a reservation list that decodes encodes to bytes that decode
// to the same encoding again.
// Build by hand with clang:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     tests/recorder/srv/fuzz/cmd_stream_fuzz.cpp recorder/srv/cmd_stream.cpp \
//     recorder/srv/srv_wire_text.cpp platform/text_codec.cpp -o cmd_stream_fuzz

#include <cstdlib>

#include "recorder/srv/cmd_stream.h"

namespace {

template <class T>
std::vector<std::uint8_t> Encode(const T& value) {
  std::vector<std::uint8_t> out(plimod::CmdStreamSize(value));
  std::size_t written = 0;
  if (!plimod::CmdStreamWrite(value, out, written) || written != out.size()) std::abort();
  return out;
}

template <class T>
void ReadOnly(plimod::StreamIn data) {
  T out{};
  std::size_t used = 0;
  if (plimod::CmdStreamRead(out, data, used) && used > data.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const plimod::StreamIn input(data, size);
  ReadOnly<std::vector<plimod::SrvRecFileInfo>>(input);
  ReadOnly<std::vector<plimod::SrvTunerReserve>>(input);
  ReadOnly<std::vector<std::uint32_t>>(input);
  ReadOnly<plimod::SystemTime>(input);

  std::vector<plimod::SrvReserveData> reserves;
  std::size_t used = 0;
  if (!plimod::CmdStreamRead(reserves, input, used)) return 0;
  if (used > size) std::abort();
  const std::vector<std::uint8_t> once = Encode(reserves);
  std::vector<plimod::SrvReserveData> again;
  if (!plimod::CmdStreamRead(again, once, used) || used != once.size()) std::abort();
  if (Encode(again) != once) std::abort();
  return 0;
}
