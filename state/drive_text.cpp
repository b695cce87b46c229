#include "state/drive_text.h"

#include "platform/format_text.h"
#include "platform/log_file.h"
#include "state/platform_kind.h"

namespace flindor {

void driveAddress(const DriveEntry& entry, std::uint8_t platform, char* address,
                  std::uint32_t capacity) {
  if (platform == kPassThroughPlatform) {
    const char letter[2] = {static_cast<char>('A' + entry.driveLetterIndex), '\0'};
    formatTextOf(address, capacity, "drive %s:", letter);
  } else {
    formatTextOf(address, capacity, "adapter %u, target %u", entry.adapterId, entry.targetId);
  }
}

void driveName(const char* identification, char* name, std::uint32_t capacity) {
  std::uint32_t length = 0;
  for (std::uint32_t i = 0;
       i < sizeof DriveEntry::identification && identification[i] != '\0' && length + 1 < capacity;
       ++i) {
    const bool blank = identification[i] == ' ';
    if (blank && (length == 0 || name[length - 1] == ' ')) continue;
    name[length++] = identification[i];
  }
  if (length > 0 && name[length - 1] == ' ') --length;
  name[length] = '\0';
}

void logDriveFound(const DriveEntry& entry) {
  char address[24];
  char name[sizeof entry.identification];
  driveAddress(entry, appState.platformKind, address, sizeof address);
  driveName(entry.identification, name, sizeof name);
  logLine("drive found: %s, revision %s, at %s", name, entry.revision, address);
}

}  // namespace flindor
