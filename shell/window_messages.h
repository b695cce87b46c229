#pragma once
// Window message numbers the core dispatches on, as the platform numbers them.

#include <cstdint>

namespace flindor {

inline constexpr std::uint32_t kWmPaint = 0x000F;
inline constexpr std::uint32_t kWmInitDialog = 0x0110;
inline constexpr std::uint32_t kWmCommand = 0x0111;
inline constexpr std::uint32_t kWmTimer = 0x0113;

inline constexpr int kToolTipNeedTextA = -520;              // TTN_NEEDTEXTA
inline constexpr std::uint16_t kComboSelectionChanged = 1;  // CBN_SELCHANGE

constexpr std::uint16_t lowWord(std::uintptr_t value) { return static_cast<std::uint16_t>(value); }
constexpr std::uint16_t highWord(std::uintptr_t value) {
  return static_cast<std::uint16_t>(value >> 16);
}

}  // namespace flindor
