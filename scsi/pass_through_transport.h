#pragma once
// The NT back end: IOCTL_SCSI_PASS_THROUGH_DIRECT on the volume of the drive's letter. An INQUIRY
// opens the volume, runs on the calling thread and closes it again. A run's DownloadCommands go
// through one handle, opened with the run's first block (with the drive's media-change polling
// off and exclusive access taken where the system has them) and closed once when the run ends;
// each runs on a worker thread, so the window stays alive while the drive works, and its answer
// comes back to the GUI thread as a command to the main window.

#include <array>
#include <cstdint>

#include "scsi/pass_through_request.h"
#include "state/app_state.h"

namespace flindor {

inline constexpr std::uint32_t kPassThroughInquiryBytes = 2048;
inline constexpr std::uint32_t kPassThroughInquiryTimeoutSeconds = 200;
inline constexpr std::uint32_t kPassThroughBlockTimeoutSeconds = 2;
// The drive programs its flash before it answers the final block.
inline constexpr std::uint32_t kPassThroughFinalBlockTimeoutSeconds = 200;

// Errors with which the host refuses a request before the drive sees it: ERROR_INVALID_FUNCTION,
// ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE, ERROR_NOT_ENOUGH_MEMORY, ERROR_OUTOFMEMORY,
// ERROR_BAD_LENGTH, ERROR_NOT_SUPPORTED, ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER,
// ERROR_NOACCESS, ERROR_NO_SYSTEM_RESOURCES and ERROR_INVALID_USER_BUFFER.
inline constexpr std::array<std::uint32_t, 12> kSystemRefusals{1,  5,  6,   8,   14,   24,
                                                               50, 87, 122, 998, 1450, 1784};

// The path the volume of `drive` is opened with: "\\.\E:" and 14 blanks, which belong to it.
inline constexpr std::size_t kVolumePathCapacity = 260;
void volumePathOf(const DriveEntry& drive, char (&path)[kVolumePathCapacity]);

// INQUIRY on the drive letter of driveTable[entryIndex]; the answer lands in blockBuffer, cleared
// first. The bytes of INQUIRY data that came back, as the system reports them (never more than
// were asked for); 0 when the call or the drive failed.
std::uint32_t passThroughInquiry(std::uint8_t entryIndex);

// Hands `block` of blockBuffer to the volume of `drive` on a worker thread and returns at once;
// the run's first block takes the drive. The answer (scsi/block_answer.h) comes back as
// kCommandBlockAnswered to the main window: from the worker when the call has ended, or at once,
// from this call, when no worker could start. blockBuffer belongs to the command until its
// answer is taken.
void passThroughSendBlock(const DriveEntry& drive, std::uint8_t block);
// The run has ended: exclusive access and the media-change polling are given back and the
// run's handles closed. No block may be out. Nothing when the run holds nothing.
void passThroughReleaseDrive();
// Forgets what the run held without giving it back. For tests, as resetAppState().
void passThroughForgetDrive();

}  // namespace flindor
