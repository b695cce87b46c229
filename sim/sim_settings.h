#pragma once
// What the whole simulated bus shares: the host adapters, the drive's programming time, and
// where the transcript and the flashed data go.

#include <cstdint>
#include <functional>
#include <string>

namespace flindor::sim {

struct SimSettings {
  std::uint8_t adapters = 1;
  std::uint32_t programmingDelayMs = 0;
  std::uint32_t slowBlockMs = 3000;  // how long a block planned `slow` keeps the drive busy
  std::string flashOutputPath;       // "" keeps the flashed data in memory only
  std::string transcriptPath;        // "" keeps the transcript in memory only
  // The system error of a request the storage stack refuses (fault ioctl-refused).
  std::uint32_t refusalError = 87;  // ERROR_INVALID_PARAMETER
  // Lets time pass while the drive is busy; unset, simulated time costs nothing.
  std::function<void(std::uint32_t ms)> sleep;
};

}  // namespace flindor::sim
