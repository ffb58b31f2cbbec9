#pragma once
// ARIB STD-B24 8-unit character strings, the text of SI descriptors (SDT, EIT).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace arib {

// Decodes one string, starting from the SI default state (G0 kanji, G1
// alphanumeric, G2 hiragana, G3 katakana, GL = G0, GR = G2). Never fails:
// DRCS and unknown codes come out as U+3013 and decoding goes on.
std::u16string Decode(const uint8_t* data, size_t size);

// Same, appending to `out`, so a caller decoding many strings can reuse one
// buffer.
void DecodeAppend(const uint8_t* data, size_t size, std::u16string& out);

// Encodes text the way a broadcaster would (kanji in G0, alphanumerics in G1,
// hiragana through GR = G2, katakana through GR = G3). What `Decode` gives
// back for the result equals `text` for every character the decoder can
// produce; anything else is written as U+3013.
std::vector<uint8_t> Encode(std::u16string_view text);

}  // namespace arib
