#pragma once
// The SCSI_PASS_THROUGH_DIRECT record of IOCTL_SCSI_PASS_THROUGH_DIRECT, laid out as the storage
// stack reads it. Only the layout is here, shared with the simulated volumes; the control code
// and the values that go into it are not (pass_through_request.h has the program's).

#include <cstddef>
#include <cstdint>

namespace flindor {

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

// The storage stack reads the record by offset: its 32-bit layout is pinned here, and the
// 64-bit one (with its 8-byte DataBuffer) checked as well.
#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(ScsiPassThroughDirect) == 44);
static_assert(offsetof(ScsiPassThroughDirect, DataTransferLength) == 12);
static_assert(offsetof(ScsiPassThroughDirect, TimeOutValue) == 16);
static_assert(offsetof(ScsiPassThroughDirect, DataBuffer) == 20);
static_assert(offsetof(ScsiPassThroughDirect, SenseInfoOffset) == 24);
static_assert(offsetof(ScsiPassThroughDirect, Cdb) == 28);
#else
static_assert(sizeof(ScsiPassThroughDirect) == 56);
static_assert(offsetof(ScsiPassThroughDirect, DataTransferLength) == 12);
static_assert(offsetof(ScsiPassThroughDirect, TimeOutValue) == 16);
static_assert(offsetof(ScsiPassThroughDirect, DataBuffer) == 24);
static_assert(offsetof(ScsiPassThroughDirect, SenseInfoOffset) == 32);
static_assert(offsetof(ScsiPassThroughDirect, Cdb) == 36);
#endif
static_assert(offsetof(ScsiPassThroughDirect, ScsiStatus) == 2);
static_assert(offsetof(ScsiPassThroughDirect, DataIn) == 8);

}  // namespace flindor
