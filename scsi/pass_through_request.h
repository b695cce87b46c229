#pragma once
// The request block of IOCTL_SCSI_PASS_THROUGH_DIRECT, laid out as the storage stack reads it:
// the SCSI_PASS_THROUGH_DIRECT record, then filler and the sense area, in one block used as
// both input and output of the call, and the values the program puts into it. The record itself
// is in scsi_pass_through_direct.h.

#include <cstddef>
#include <cstdint>

#include "scsi/scsi_pass_through_direct.h"

namespace flindor {

inline constexpr std::uint32_t kIoctlScsiPassThroughDirect = 0x4D014;

// DataIn values (SCSI_IOCTL_DATA_OUT and SCSI_IOCTL_DATA_IN).
inline constexpr std::uint8_t kScsiIoctlDataOut = 0;
inline constexpr std::uint8_t kScsiIoctlDataIn = 1;

inline constexpr std::size_t kPassThroughSenseBytes = 32;
inline constexpr std::uint8_t kPassThroughSenseRequested = 24;

struct PassThroughRequest {
  ScsiPassThroughDirect record;
  std::uint32_t filler;
  std::uint8_t sense[kPassThroughSenseBytes];
};

// The block as the storage stack gets it: 80 bytes on 32-bit, the sense area at 48.
#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(PassThroughRequest) == 80);
static_assert(offsetof(PassThroughRequest, filler) == 44);
static_assert(offsetof(PassThroughRequest, sense) == 48);
#else
static_assert(sizeof(PassThroughRequest) == 96);
static_assert(offsetof(PassThroughRequest, filler) == 56);
static_assert(offsetof(PassThroughRequest, sense) == 60);
#endif
// The same sums on any width: the 64-bit block's padding would hide a sense area of the wrong
// size from the checks above.
static_assert(48 + kPassThroughSenseBytes == 80);

}  // namespace flindor
