#pragma once
// The two SCSI back ends, as appState.platformKind names them; fixed once at start-up.

#include <cstdint>

namespace flindor {

inline constexpr std::uint8_t kAspiPlatform = 0;         // Windows 95, 98, Me: wnaspi32.dll
inline constexpr std::uint8_t kPassThroughPlatform = 1;  // Windows NT, 2000, XP and later

}  // namespace flindor
