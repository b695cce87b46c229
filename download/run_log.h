#pragma once
// What the log (platform/log_file.h) says of a run, one function an event, each called where its
// event is known, on the GUI thread. A line that cannot be written is dropped: nothing of the
// run depends on the log.

#include <cstdint>

#include "download/back_end_policy.h"
#include "download/update_record.h"
#include "scsi/block_answer.h"

namespace flindor {

inline constexpr char kProgramVersion[] = "1.3.0.1";  // as the version block says

// The program has started and knows its platform: the log begins.
void logStart();
// The user confirmed the download of the open image to the drive `record` names.
void logConfirmed(const UpdateRecord& record);
// The back end cannot keep other programs from the drive (ASPI): they should be closed first.
void logNoDriveControls();
// `block` is handed to the back end.
void logBlockGoing(std::uint8_t block);
// The back end took the drive at `address` for the run with the block `answer` answers: what the
// system said to the controls that keep other programs from it.
void logDriveControls(const DriveControls& controls, const char* address);
// The back end answered the block out, which means `outcome`. Only a failure, or the final
// block's answer, is logged, with the raw answer.
void logAnswer(const BlockAnswer& answer, BlockOutcome outcome);
// The block was not handed to the back end after all (its framing said why).
void logNotSent();
// The drive has answered the final block; `restartEntered` says whether the program will be
// started again after the restart.
void logCompleted(bool restartEntered);
void logRebootRequested();
// The window closes while a confirmed download has not completed.
void logClosedDuringRun();

}  // namespace flindor
