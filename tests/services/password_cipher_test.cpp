#include <gtest/gtest.h>

#include <string>

#include "services/password_cipher.h"

namespace plimod::test {
namespace {

std::string Enciphered(std::string text) {
  EXPECT_EQ(CipherPassword(text, false), 0);
  return text;
}

std::string Deciphered(std::string text) {
  EXPECT_EQ(CipherPassword(text, true), 0);
  return text;
}

// Values stored by earlier runs must keep deciphering: these pin the
// passphrase and the derivation (computed apart from this code).
TEST(PasswordCipherTest, StoredValuesArePinned) {
  const struct {
    std::string plain;
    std::string stored;
  } pinned[] = {
      {"", "28"},
      {"a", "495B"},
      {"secret", "5B3E8E3119A5E0"},
      {"\xE3\x83\x91\xE3\x82\xB9\xE3\x83\xAF\xE3\x83\xBC\xE3\x83\x89" "1", "CBD87CA0FE680344D68D811D7339887847"},
  };
  for (const auto& p : pinned) {
    EXPECT_EQ(Enciphered(p.plain), p.stored) << p.plain;
    EXPECT_EQ(Deciphered(p.stored), p.plain) << p.stored;
  }
}

TEST(PasswordCipherTest, PasswordsUpToTheLimitRoundTripAndLongerOnesAreRefused) {
  for (std::size_t length : {0u, 1u, 62u, 63u, 127u}) {
    std::string plain;
    for (std::size_t i = 0; i < length; ++i) plain.push_back(static_cast<char>(0x21 + (i * 37) % 0xDE));
    const std::string stored = Enciphered(plain);
    EXPECT_EQ(stored.size(), 2 * (length + 1));
    EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(Deciphered(stored), plain) << length;
  }
  const std::string tooLong(128, 'x');
  EXPECT_EQ(Enciphered(tooLong), tooLong);
}

TEST(PasswordCipherTest, StoredDigitsAreReadLeniently) {
  EXPECT_EQ(Deciphered("5b3e8e3119a5e0"), "secret");  // lower case
  EXPECT_EQ(Deciphered("5B3E8E3119A5E0F"), "secret");  // odd last digit ignored
  EXPECT_EQ(Deciphered("495G"), Deciphered("4950"));   // a non-digit counts as 0
  EXPECT_EQ(Deciphered(""), "");
}

TEST(PasswordCipherTest, OverlongStoredTextDeciphersOnlyItsFirst128Bytes) {
  std::string stored = Enciphered(std::string(127, 'p'));
  stored += std::string(300, 'F');  // no zero byte among the extra digits' first one
  const std::string plain = Deciphered(stored);
  EXPECT_EQ(plain, std::string(127, 'p'));
  // Without any terminator the result stops at 128 bytes.
  EXPECT_LE(Deciphered(std::string(600, 'A')).size(), 128u);
}

}  // namespace
}  // namespace plimod::test
