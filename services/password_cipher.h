#pragma once
// The calendar upload password ([SYOBOIUPLOAD] PASSWD) is stored enciphered
// as upper-case hexadecimal text: RC4, keyed by the MD5 digest of a fixed
// passphrase, over the password and its terminating zero byte. No salt and
// no IV, so one password always gives the same stored text. It only keeps
// the password from being read at a glance; it is not protection.

#include <cstddef>
#include <string>

namespace plimod {

// Longest plain password, in bytes (kept as the bytes the settings page got).
inline constexpr std::size_t kMaxPasswordBytes = 127;

// Enciphers (`decipher` false) or deciphers (`decipher` true) `text` in
// place; always returns 0. Enciphering a password longer than
// kMaxPasswordBytes leaves it as it is. Deciphering reads pairs of digits of
// either case (any other character counts as 0, an odd last digit is
// ignored), at most 128 of them, and keeps the bytes before the first zero.
int CipherPassword(std::string& text, bool decipher);

}  // namespace plimod
