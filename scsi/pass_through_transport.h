#pragma once
// The NT back end: each command opens the volume of its drive letter, runs one
// IOCTL_SCSI_PASS_THROUGH_DIRECT on it and closes it again. INQUIRY runs on the calling thread;
// a DownloadCommand runs on a worker thread, so the window stays alive while the drive works,
// and its outcome comes back to the GUI thread as a command to the main window.

#include <cstdint>

#include "scsi/pass_through_request.h"

namespace flindor {

inline constexpr std::uint32_t kPassThroughInquiryBytes = 2048;
inline constexpr std::uint32_t kPassThroughInquiryTimeoutSeconds = 200;
inline constexpr std::uint32_t kPassThroughBlockTimeoutSeconds = 2;
// The drive programs its flash before it answers the final block.
inline constexpr std::uint32_t kPassThroughFinalBlockTimeoutSeconds = 200;

// Private command of the main window, sent with wParam and lParam both equal to the id by the
// worker thread when a DownloadCommand has ended.
inline constexpr std::uint16_t kCommandPassThroughFinished = 17187;  // 0x4323

// INQUIRY on the drive letter of driveTable[entryIndex]; the answer lands in blockBuffer, cleared
// first. The bytes of INQUIRY data that came back, as the system reports them (never more than
// were asked for); 0 when the call or the drive failed. Never shows a message.
std::uint32_t passThroughInquiry(std::uint8_t entryIndex);

// Why a DownloadCommand failed: what the drive may have done with the block differs.
enum class PassThroughFailure {
  None,
  NotStarted,       // no worker thread: nothing reached the drive
  VolumeNotOpened,  // nothing reached the drive
  DriveRefused,     // the drive ended the command with an error status
  CallFailed,       // the call itself failed; `error` says why
};

struct PassThroughOutcome {
  PassThroughFailure failure;
  std::uint32_t error;  // the system's error code when the call failed, else 0
};

// Called on the GUI thread with each DownloadCommand's outcome. The download installs it once,
// before any block is sent.
using PassThroughResultHandler = void (*)(PassThroughOutcome outcome);
void setPassThroughResultHandler(PassThroughResultHandler handler);

// Sends `block` from blockBuffer to the drive letter of driveTable[entryIndex] on a worker
// thread and returns at once; the caller has set blockOutstanding, which the outcome's handler
// clears. blockBuffer belongs to the command until its outcome is handled.
void passThroughDownloadCommand(std::uint8_t entryIndex, std::uint8_t block);

// The main window's command 0x4323, with the token of the command that is out: hands its
// outcome to the result handler.
void passThroughDownloadFinished();
// The transport's own message for the last DownloadCommand's failure, where it has one: the
// volume that could not be opened, or a failed call for a block before the final one.
void showPassThroughFailure();

}  // namespace flindor
