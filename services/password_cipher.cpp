#include "services/password_cipher.h"

#include <nettle/arcfour.h>
#include <nettle/md5.h>

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

namespace plimod {

namespace {

// Stored passwords decipher only with this exact text and derivation: never
// change either, or every stored password turns into noise.
constexpr std::string_view kPassphrase = "plimod/syoboi-upload/passwd/1";
static_assert(kPassphrase.size() == 29);

// The deciphered form never needs more (127 bytes and the terminator).
constexpr std::size_t kMaxCipherBytes = kMaxPasswordBytes + 1;
constexpr char kHexDigits[] = "0123456789ABCDEF";

// A 128-bit RC4 key derived from an MD5 digest is the digest itself.
void ApplyKeyStream(std::string& bytes) {
  std::array<std::uint8_t, MD5_DIGEST_SIZE> key;
  md5_ctx hash;
  md5_init(&hash);
  md5_update(&hash, kPassphrase.size(), reinterpret_cast<const std::uint8_t*>(kPassphrase.data()));
  md5_digest(&hash, key.size(), key.data());
  arcfour_ctx stream;
  arcfour_set_key(&stream, key.size(), key.data());
  auto* data = reinterpret_cast<std::uint8_t*>(bytes.data());
  arcfour_crypt(&stream, bytes.size(), data, data);
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

void Encipher(std::string& text) {
  if (text.size() > kMaxPasswordBytes) return;
  std::string bytes = text;
  bytes.push_back('\0');
  ApplyKeyStream(bytes);
  std::string stored;
  for (unsigned char b : bytes) {
    stored.push_back(kHexDigits[b >> 4]);
    stored.push_back(kHexDigits[b & 0x0F]);
  }
  text = std::move(stored);
}

void Decipher(std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < text.size() && bytes.size() < kMaxCipherBytes; i += 2) {
    bytes.push_back(static_cast<char>(HexDigitValue(text[i]) << 4 | HexDigitValue(text[i + 1])));
  }
  ApplyKeyStream(bytes);
  text = bytes.substr(0, bytes.find('\0'));
}

}  // namespace

int CipherPassword(std::string& text, bool decipher) {
  if (decipher) {
    Decipher(text);
  } else {
    Encipher(text);
  }
  return 0;
}

}  // namespace plimod
