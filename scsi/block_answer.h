#pragma once
// The one answer both transports give to a DownloadCommand: what became of the block, with what
// the host and the drive said, for the log. The transport that learns the outcome writes it and
// then sends the main window kCommandBlockAnswered with the token it drew when it took the block;
// the GUI thread reads it inside that synchronous send, and only then.

#include <cstdint>

#include "scsi/aspi_srb.h"
#include "scsi/pass_through_request.h"

namespace flindor {

enum class BlockAnswerKind : std::uint8_t {
  Completed,      // the drive took the block and ended the command without error
  NotSent,        // it never reached the drive (why: `notSent`)
  RefusedByHost,  // the host refused the request before the drive saw it
  CallFailed,     // the request went out but the call failed: the drive may have taken it
  DriveError,     // the drive ended the command with an error status
};
inline constexpr int kBlockAnswerKinds = 5;

enum class NotSentReason : std::uint8_t {
  None,
  NoRequest,             // ASPI: no heap for the request, or the manager did not take it
  NoThread,              // pass-through: no worker thread could be started
  VolumeNotOpened,       // pass-through: the drive letter's volume could not be opened
  HeldByAnotherProgram,  // pass-through: another program has exclusive access to the drive
};

// What the system said to the controls that keep other programs from the drive, when the block
// was the one that took the drive for the run (pass-through: the first of a stretch).
inline constexpr std::uint32_t kControlNotOpened = 0xFFFFFFFF;  // no handle for it
struct DriveControls {
  bool taken;                    // the drive was taken with this block
  std::uint32_t pollingError;    // media-change polling: 0 off for the run, or the system's error
  std::uint32_t exclusiveError;  // exclusive access: 0 taken, or the system's error
  char holder[65];               // the program that holds the drive, where the system named it
};

inline constexpr std::uint32_t kAnswerSenseBytes = 18;

struct BlockAnswer {
  BlockAnswerKind kind;
  NotSentReason notSent;
  std::uint8_t block;
  std::uint8_t status;  // ASPI: SRB_Status (or what the manager returned); pass-through: ScsiStatus
  std::uint8_t hostStatus;    // ASPI: SRB_HaStat
  std::uint8_t targetStatus;  // ASPI: SRB_TargStat
  std::uint32_t error;        // pass-through: the system's error code of a failed call
  // Fixed-format sense data: the key in the low half of byte 2, ASC and ASCQ in bytes 12, 13.
  std::uint8_t sense[kAnswerSenseBytes];
  DriveControls controls;
};

// The answer to the last block a transport was given.
extern BlockAnswer blockAnswer;

}  // namespace flindor
