#pragma once
// The NT back end: each command opens the volume of its drive letter, runs one
// IOCTL_SCSI_PASS_THROUGH_DIRECT on it and closes it again, synchronously on the calling thread.

#include <cstdint>

#include "scsi/pass_through_request.h"

namespace flindor {

inline constexpr std::uint32_t kPassThroughInquiryBytes = 2048;
inline constexpr std::uint32_t kPassThroughInquiryTimeoutSeconds = 200;
inline constexpr std::uint32_t kPassThroughBlockTimeoutSeconds = 2;
// The drive programs its flash before it answers the final block.
inline constexpr std::uint32_t kPassThroughFinalBlockTimeoutSeconds = 200;

// INQUIRY on the drive letter of driveTable[entryIndex]; the answer lands in blockBuffer.
// 1 when the drive answered without error, else 0; never shows a message.
int passThroughInquiry(std::uint8_t entryIndex);

// Why a DownloadCommand failed: what the drive may have done with the block differs.
enum class PassThroughFailure {
  None,
  VolumeNotOpened,  // nothing reached the drive
  DriveRefused,     // the drive ended the command with an error status
  CallFailed,       // the call itself failed: the drive timed out or left the bus
};

// Sends `block` from blockBuffer to the drive letter of driveTable[entryIndex]. 1 on success,
// else 0, after the message the failure calls for, if any; `failure`, when given, says why.
int passThroughDownloadCommand(std::uint8_t entryIndex, std::uint8_t block,
                               PassThroughFailure* failure = nullptr);

}  // namespace flindor
