#include "server/request_token.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdint>

namespace plimod {

namespace {

constexpr std::string_view kTokenAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
// The largest multiple of the alphabet size that fits a byte: bytes at or
// above it are drawn again so every symbol is equally likely.
constexpr unsigned kRejectFrom = 256 / kTokenAlphabet.size() * kTokenAlphabet.size();

std::string g_token;

bool FillRandom(std::uint8_t* bytes, std::size_t size) {
  std::size_t filled = 0;
  while (filled < size) {
    ssize_t n = getrandom(bytes + filled, size - filled, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    filled += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

// Written once at start-up before any thread runs; only read afterwards.
const std::string& MakeRequestToken() {
  std::string token;
  std::uint8_t pool[64];
  while (token.size() < kRequestTokenLength) {
    if (!FillRandom(pool, sizeof pool)) break;
    for (std::uint8_t b : pool) {
      if (b >= kRejectFrom) continue;
      token += kTokenAlphabet[b % kTokenAlphabet.size()];
      if (token.size() == kRequestTokenLength) break;
    }
  }
  // Without a random source no token is made, and CheckRequestToken then
  // refuses every save rather than accept a guessable value.
  g_token = token.size() == kRequestTokenLength ? token : std::string();
  return g_token;
}

const std::string& GetRequestToken() { return g_token; }

bool CheckRequestToken(std::string_view text) { return !text.empty() && !g_token.empty() && text == g_token; }

}  // namespace plimod
