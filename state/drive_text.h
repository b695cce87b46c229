#pragma once
// How the program names a drive of the table in its log and its messages.

#include <cstdint>

#include "state/app_state.h"

namespace flindor {

// Where the drive sits on `platform`: "adapter 0, target 1" (ASPI) or "drive E:" (pass-through).
void driveAddress(const DriveEntry& entry, std::uint8_t platform, char* address,
                  std::uint32_t capacity);
// Vendor and product as INQUIRY gives them, their blank padding cut: "ZIB DVD-ROM KMX4820T".
void driveName(const char* identification, char* name, std::uint32_t capacity);
// The log's line for a drive that discovery found.
void logDriveFound(const DriveEntry& entry);

}  // namespace flindor
