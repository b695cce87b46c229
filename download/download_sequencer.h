#pragma once
// The download: one step per Download command, from the confirmation through the 64 blocks to
// the completion message and the reboot.

#include <array>
#include <cstdint>

namespace flindor {

inline constexpr std::uint16_t kCommandDownload = 40003;
// Private command of the main window, sent by the ASPI completion when a block failed: the GUI
// thread, which owns the progress timer, the session hold and the run's next step, stops the run.
inline constexpr std::uint16_t kCommandDownloadStopped = 17186;  // 0x4322
inline constexpr std::uintptr_t kProgressTimer = 1;
inline constexpr std::uint32_t kProgressTimerPeriodMs = 1000;
inline constexpr std::uint8_t kProgressFull = 34;
inline constexpr std::uint32_t kRebootFlags = 0x6;  // EWX_REBOOT | EWX_FORCE
inline constexpr int kRebootAttempts = 100;
// How long the drive may program its flash after the final block: the progress bar's 34 steps of
// one second. A final block whose outcome is unknown keeps the guards up this long.
inline constexpr std::uint32_t kProgrammingAllowanceMs = kProgressFull * kProgressTimerPeriodMs;
// Errors with which the host refuses a request before the drive sees it: ERROR_INVALID_FUNCTION,
// ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE, ERROR_NOT_ENOUGH_MEMORY, ERROR_OUTOFMEMORY,
// ERROR_BAD_LENGTH, ERROR_NOT_SUPPORTED, ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER,
// ERROR_NOACCESS, ERROR_NO_SYSTEM_RESOURCES and ERROR_INVALID_USER_BUFFER.
inline constexpr std::array<std::uint32_t, 12> kSystemRefusals{1,  5,  6,   8,   14,   24,
                                                               50, 87, 122, 998, 1450, 1784};

// Hands the transports the functions that take each block's outcome; once, at start-up.
void installDownloadSequencer();

// The main window's Download command (40003), from the user or from the sequence itself.
void downloadStep();
// Hands the framed block nextBlock to the back end and starts the next step.
void sendBlock();
// Command 0x4322: a block failed on the ASPI back end; on the GUI thread, the run stops there.
void downloadStopped();
// Each tick of the progress timer: ends the wait for a final block whose outcome is unknown once
// the programming allowance has passed.
void programmingTick();
// The user answered No to the close question: the step that waited for the answer runs now.
void resumeParkedRun();

// All 64 blocks are through: full bar, completion message, shutdown privilege, reboot, quit.
void finishDownload();

}  // namespace flindor
