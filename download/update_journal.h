#pragma once
// What the program writes down about a run as it happens: the record of the update in progress
// (update_record.h) and the lines of the log (platform/log_file.h). Neither may change what
// reaches the drive: a write that fails is said in the log, once, and the run goes on. Each
// function is called where its event is known, on the GUI thread.

#include <cstdint>

#include "scsi/pass_through_transport.h"

namespace flindor {

inline constexpr char kProgramVersion[] = "1.3.0.1";  // as the version block says

// The program has started and knows its platform: the log begins.
void journalStart();
// The user confirmed the download of the open image to the target drive.
void journalConfirmed();
// `block` is handed to the back end.
void journalBlockGoing(std::uint8_t block);
// A pass-through DownloadCommand ended; `done` says whether the run counts it as done. Only a
// failure, or the final block's outcome, is logged.
void journalPassThroughOutcome(PassThroughOutcome outcome, bool done);
// The ASPI back end stopped the run at the current block.
void journalAspiStopped();
// The current block was not handed to the back end after all (its framing said why).
void journalNotSent();
// The drive has answered the final block: the record says so, and the program will be started
// once more after the restart (RunOnce), to check the drive.
void journalCompleted();
void journalRebootRequested();
// The window closes while a confirmed download has not completed.
void journalClosedDuringRun();

}  // namespace flindor
