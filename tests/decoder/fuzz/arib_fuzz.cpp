// libFuzzer target: any bytes decode, and the decoded text survives an
// encode-decode round trip.
// Build by hand with clang:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     tests/decoder/fuzz/arib_fuzz.cpp decoder/arib_*.cpp -o arib_fuzz

#include <cstdlib>

#include "decoder/arib_string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string text = arib::Decode(data, size);
  const std::vector<uint8_t> encoded = arib::Encode(text);
  if (arib::Decode(encoded.data(), encoded.size()) != text) std::abort();
  return 0;
}
