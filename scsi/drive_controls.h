#pragma once
// The two controls with which the NT family keeps other programs from a drive: media-change
// notification (IOCTL_STORAGE_MCN_CONTROL, on a handle opened for attributes only), which stops
// the class driver's polling of the drive and the AutoPlay events it raises, and exclusive access
// (IOCTL_CDROM_EXCLUSIVE_ACCESS, Windows Vista and later, on the handle that sends the commands).
// Both are undone when the handle that made them is closed, whatever ends the program. The
// requests are laid out as the CD-ROM class driver reads them.

#include <cstddef>
#include <cstdint>

namespace flindor {

inline constexpr std::uint32_t kIoctlStorageMcnControl = 0x2D0944;
inline constexpr std::uint32_t kIoctlCdromExclusiveAccess = 0x2C05C;

// EXCLUSIVE_ACCESS_REQUEST_TYPE values, and the lock's flag that leaves a mounted file system be.
inline constexpr std::uint32_t kExclusiveAccessQueryState = 0;
inline constexpr std::uint32_t kExclusiveAccessLockDevice = 1;
inline constexpr std::uint32_t kExclusiveAccessUnlockDevice = 2;
inline constexpr std::uint32_t kCdromLockIgnoreVolume = 0x1;
inline constexpr std::size_t kCdromExclusiveCallerLength = 64;
// The name the lock is taken under, as the system shows it to other programs.
inline constexpr char kExclusiveCallerName[] = "FLINDOR";

// ERROR_ACCESS_DENIED: the lock is held, by another program.
inline constexpr std::uint32_t kErrorAccessDenied = 5;

struct CdromExclusiveAccess {
  std::uint32_t RequestType;
  std::uint32_t Flags;
};
struct CdromExclusiveLock {
  CdromExclusiveAccess Access;
  std::uint8_t CallerName[kCdromExclusiveCallerLength];
};
struct CdromExclusiveLockState {
  std::uint8_t LockState;
  std::uint8_t CallerName[kCdromExclusiveCallerLength];
};

static_assert(sizeof(CdromExclusiveAccess) == 8);
static_assert(sizeof(CdromExclusiveLock) == 72);
static_assert(offsetof(CdromExclusiveLock, CallerName) == 8);
static_assert(sizeof(CdromExclusiveLockState) == 65);
static_assert(offsetof(CdromExclusiveLockState, CallerName) == 1);

}  // namespace flindor
