#pragma once
// The download: one step per Download command, from the confirmation through the 64 blocks to
// the completion message and the reboot.

#include <array>
#include <cstdint>

namespace flindor {

inline constexpr std::uint16_t kCommandDownload = 40003;
// Private command of the main window, sent with wParam and lParam both equal to the id by the
// ASPI completion when a block failed, so the progress timer and the session hold end on the
// thread that owns them.
inline constexpr std::uint16_t kCommandDownloadStopped = 17186;  // 0x4322
inline constexpr std::uintptr_t kProgressTimer = 1;
inline constexpr std::uint32_t kProgressTimerPeriodMs = 1000;
inline constexpr std::uint8_t kProgressFull = 34;
inline constexpr std::uint32_t kRebootFlags = 0x6;  // EWX_REBOOT | EWX_FORCE
inline constexpr int kRebootAttempts = 100;
// Errors with which the storage stack refuses a request before the drive sees it:
// ERROR_INVALID_FUNCTION, ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE, ERROR_NOT_SUPPORTED and
// ERROR_INVALID_PARAMETER.
inline constexpr std::array<std::uint32_t, 5> kSystemRefusals{1, 5, 6, 50, 87};

// Hands the transport the function that takes each block's outcome; once, at start-up.
void installDownloadSequencer();

// The main window's Download command (40003), from the user or from the sequence itself.
void downloadStep();
// Hands the framed block nextBlock to the back end and starts the next step.
void sendBlock();
// A block's DownloadCommand has ended (pass-through: on the GUI thread; ASPI: completed, on the
// completion thread). Moves the sequence on, or stops it at this block.
void blockFinished(bool succeeded);
// Command 0x4322: a block failed on the ASPI back end; the bar stops if it was the final one.
void downloadStopped();

// All 64 blocks are through: full bar, completion message, shutdown privilege, reboot, quit.
void finishDownload();

}  // namespace flindor
