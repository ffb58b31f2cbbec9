#include "decoder/arib_string.h"

namespace arib {

void DecodeAppend(const uint8_t*, size_t, std::u16string&) {}

std::u16string Decode(const uint8_t* data, size_t size) {
  std::u16string out;
  DecodeAppend(data, size, out);
  return out;
}

std::vector<uint8_t> Encode(std::u16string_view) { return {}; }

}  // namespace arib
