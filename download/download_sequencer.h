#pragma once
// The download: one step per Download command, from the confirmation through the 64 blocks to
// the completion message and the reboot.

#include <cstdint>

namespace flindor {

inline constexpr std::uint16_t kCommandDownload = 40003;
inline constexpr std::uintptr_t kProgressTimer = 1;
inline constexpr std::uint32_t kProgressTimerPeriodMs = 1000;
inline constexpr std::uint8_t kProgressFull = 34;
inline constexpr std::uint32_t kRebootFlags = 0x6;  // EWX_REBOOT | EWX_FORCE
inline constexpr int kRebootAttempts = 100;

// The main window's Download command (40003), from the user or from the sequence itself.
void downloadStep();
// Hands the framed block nextBlock to the back end and starts the next step.
void sendBlock();
// A block's DownloadCommand has ended (pass-through: returned; ASPI: completed, on the
// completion thread). Moves the sequence on, or stops it at this block.
void blockFinished(bool succeeded);
// All 64 blocks are through: full bar, completion message, shutdown privilege, reboot, quit.
void finishDownload();

}  // namespace flindor
