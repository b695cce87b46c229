#pragma once
// The end of a run that completed: the full bar, the completion message, the shutdown privilege,
// the reboot request and the quit.

#include <cstdint>

namespace flindor {

inline constexpr std::uint32_t kRebootFlags = 0x6;  // EWX_REBOOT | EWX_FORCE
inline constexpr int kRebootAttempts = 100;

// All 64 blocks are through; once per run.
void finishDownload();

}  // namespace flindor
