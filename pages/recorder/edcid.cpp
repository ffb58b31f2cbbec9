#include "pages/recorder/edcid.h"

#include <cinttypes>
#include <cstdio>

#include "util/conversions.h"

namespace plimod {
namespace {

constexpr std::size_t kKeyAt = 2;
constexpr std::size_t kReserveIdAt = 19;

}  // namespace

std::string MakeEdcid(std::uint64_t programKey, std::int32_t reserveId) {
  char text[40];
  std::snprintf(text, sizeof text, "E_%016" PRIx64 "_%04x", programKey, static_cast<std::uint32_t>(reserveId));
  return text;
}

EdcidParts ParseEdcid(std::string_view edcid) {
  EdcidParts parts;
  if (edcid.size() > kKeyAt) parts.programKey = ParseHex64(edcid.substr(kKeyAt));
  if (edcid.size() > kReserveIdAt) parts.reserveId = static_cast<std::int32_t>(ParseHex32(edcid.substr(kReserveIdAt)));
  return parts;
}

std::string LineEdcid(const ReserveTextLine& line) { return MakeEdcid(LineProgramKey(line), LineReserveId(line)); }

}  // namespace plimod
