#pragma once
// Service and programme keys, the four broadcast bands and the channel key
// text ("T0400H") that names a channel in the settings.

#include <cstdint>
#include <string>

namespace plimod {

// onid << 32 | tsid << 16 | sid
constexpr std::uint64_t ServiceKey(std::uint16_t onid, std::uint16_t tsid, std::uint16_t sid) {
  return (std::uint64_t{onid} << 32) | (std::uint64_t{tsid} << 16) | sid;
}
// eid << 48 | service key
constexpr std::uint64_t ProgramKey(std::uint16_t eid, std::uint64_t serviceKey) {
  return (std::uint64_t{eid} << 48) | (serviceKey & 0xFFFF'FFFF'FFFFull);
}
constexpr std::uint16_t OnidOf(std::uint64_t key) { return static_cast<std::uint16_t>(key >> 32); }
constexpr std::uint16_t TsidOf(std::uint64_t key) { return static_cast<std::uint16_t>(key >> 16); }
constexpr std::uint16_t SidOf(std::uint64_t key) { return static_cast<std::uint16_t>(key); }
constexpr std::uint16_t EidOf(std::uint64_t programKey) {
  return static_cast<std::uint16_t>(programKey >> 48);
}
constexpr std::uint64_t ServiceKeyOf(std::uint64_t programKey) {
  return programKey & 0xFFFF'FFFF'FFFFull;
}

// Band masks and indexes.
inline constexpr std::uint32_t kBandTerrestrial = 0x1;
inline constexpr std::uint32_t kBandBs = 0x10;
inline constexpr std::uint32_t kBandCs = 0x100;
inline constexpr std::uint32_t kBandOther = 0x1000;
inline constexpr char kBandLetters[] = "TBCZ";

// Band index 0-3 (terrestrial, BS, CS, other) of a service key; only its low
// 32 bits count.
constexpr int BandIndexOf(std::uint64_t key) {
  const auto v = static_cast<std::uint32_t>(key);
  if ((v & 0xF800'0000u) == 0x7800'0000u) return 0;
  if ((v & 0xF000'0000u) == 0x4000'0000u) return 1;
  if ((v & 0xF000'0000u) == 0x6000'0000u || (v & 0xF800'0000u) == 0x7000'0000u) return 2;
  return 3;
}
// Mask of a band index: 1 << (4 * index).
constexpr std::uint32_t BandMaskOfIndex(int index) { return 1u << (4 * index); }
constexpr std::uint32_t BandMaskOf(std::uint64_t key) { return BandMaskOfIndex(BandIndexOf(key)); }
// Band index of a band letter, -1 for a character that is none of "TBCZ".
constexpr int BandIndexOfLetter(wchar_t letter) {
  for (int i = 0; i < 4; ++i) {
    if (letter == static_cast<wchar_t>(kBandLetters[i])) return i;
  }
  return -1;
}

// Writes the channel key text ("%c%04xH": band letter, service id in
// lower-case hex, "H") to whichever of `narrow` and `wide` is not null and
// returns the band index.
int FormatChannelKey(std::uint64_t serviceKey, std::string* narrow, std::wstring* wide);
// The channel key text as wide text.
std::wstring ChannelKeyText(std::uint64_t serviceKey);

}  // namespace plimod
