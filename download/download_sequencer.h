#pragma once
// The download: one step per Download command, from the confirmation through the 64 blocks to
// the completion (download/completion.h). The run's phase (state/run_phase.h) says where it
// stands; only the sequencer moves it on.

#include <cstdint>

#include "scsi/block_answer.h"

namespace flindor {

inline constexpr std::uintptr_t kProgressTimer = 1;
inline constexpr std::uint32_t kProgressTimerPeriodMs = 1000;
inline constexpr std::uint8_t kProgressFull = 34;
// How long the drive may program its flash after the final block: the progress bar's 34 steps of
// one second. A final block whose outcome is unknown keeps the guards up this long.
inline constexpr std::uint32_t kProgrammingAllowanceMs = kProgressFull * kProgressTimerPeriodMs;

// The main window's Download command (40003), from the user or from the sequence itself.
void downloadStep();
// The main window's command 0x4323, taken with its token: a transport's answer to the block out.
void blockAnswered(const BlockAnswer& answer);
// Takes the step the phase still owes (the next block, the completion, a failure's message),
// unless the close question is open: after each answer, and after No to the close question.
void continueRun();
// Each tick of the progress timer: ends the wait for a final block whose outcome is unknown once
// the programming allowance has passed.
void programmingTick();

}  // namespace flindor
