#pragma once
// The request block of IOCTL_SCSI_PASS_THROUGH_DIRECT, laid out as the storage stack reads it:
// the SCSI_PASS_THROUGH_DIRECT record, then filler and the sense area, in one block used as
// both input and output of the call.

#include <cstddef>
#include <cstdint>

namespace flindor {

inline constexpr std::uint32_t kIoctlScsiPassThroughDirect = 0x4D014;

// DataIn values (SCSI_IOCTL_DATA_OUT and SCSI_IOCTL_DATA_IN).
inline constexpr std::uint8_t kScsiIoctlDataOut = 0;
inline constexpr std::uint8_t kScsiIoctlDataIn = 1;

// Field names are the platform's own.
struct ScsiPassThroughDirect {
  std::uint16_t Length;
  std::uint8_t ScsiStatus;
  std::uint8_t PathId;
  std::uint8_t TargetId;
  std::uint8_t Lun;
  std::uint8_t CdbLength;
  std::uint8_t SenseInfoLength;
  std::uint8_t DataIn;
  std::uint32_t DataTransferLength;
  std::uint32_t TimeOutValue;  // seconds
  void* DataBuffer;
  std::uint32_t SenseInfoOffset;
  std::uint8_t Cdb[16];
};

inline constexpr std::size_t kPassThroughSenseBytes = 32;
inline constexpr std::uint8_t kPassThroughSenseRequested = 24;

struct PassThroughRequest {
  ScsiPassThroughDirect record;
  std::uint32_t filler;
  std::uint8_t sense[kPassThroughSenseBytes];
};

// The storage stack reads the record by offset: its 32-bit layout is pinned here, and the
// 64-bit one (with its 8-byte DataBuffer) checked as well.
#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(ScsiPassThroughDirect) == 44);
static_assert(offsetof(ScsiPassThroughDirect, DataTransferLength) == 12);
static_assert(offsetof(ScsiPassThroughDirect, TimeOutValue) == 16);
static_assert(offsetof(ScsiPassThroughDirect, DataBuffer) == 20);
static_assert(offsetof(ScsiPassThroughDirect, SenseInfoOffset) == 24);
static_assert(offsetof(ScsiPassThroughDirect, Cdb) == 28);
static_assert(sizeof(PassThroughRequest) == 80);
static_assert(offsetof(PassThroughRequest, filler) == 44);
static_assert(offsetof(PassThroughRequest, sense) == 48);
#else
static_assert(sizeof(ScsiPassThroughDirect) == 56);
static_assert(offsetof(ScsiPassThroughDirect, DataTransferLength) == 12);
static_assert(offsetof(ScsiPassThroughDirect, TimeOutValue) == 16);
static_assert(offsetof(ScsiPassThroughDirect, DataBuffer) == 24);
static_assert(offsetof(ScsiPassThroughDirect, SenseInfoOffset) == 32);
static_assert(offsetof(ScsiPassThroughDirect, Cdb) == 36);
static_assert(sizeof(PassThroughRequest) == 96);
static_assert(offsetof(PassThroughRequest, filler) == 56);
static_assert(offsetof(PassThroughRequest, sense) == 60);
#endif
static_assert(offsetof(ScsiPassThroughDirect, ScsiStatus) == 2);
static_assert(offsetof(ScsiPassThroughDirect, DataIn) == 8);

}  // namespace flindor
