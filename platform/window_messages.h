#pragma once
// The message numbers the main loop carries. They keep their classic values,
// so the main handler's switch and the log read the same as ever.

#include <cstdint>

namespace plimod {

inline constexpr std::uint32_t WM_CREATE = 0x0001;
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_TIMER = 0x0113;
inline constexpr std::uint32_t WM_POWERBROADCAST = 0x0218;
inline constexpr std::uint32_t WM_APP = 0x8000;

// Answers to a power-broadcast query.
inline constexpr std::intptr_t kPowerQueryAllow = 1;
inline constexpr std::intptr_t kPowerQueryDeny = 0x424D5144;

}  // namespace plimod
