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
  // Where the drives keep their revisions across the program's runs; "" forgets them.
  std::string statePath;
  // The system error of a request the storage stack refuses (fault ioctl-refused).
  std::uint32_t refusalError = 87;  // ERROR_INVALID_PARAMETER
  // The class driver polls each drive (TEST UNIT READY) while its media-change notification is
  // on: before a command it passes on once this many ms of simulated time have passed since the
  // last poll (0: before every one); negative: it does not poll.
  std::int32_t pollMs = -1;
  // Another program sends the drive an INQUIRY through a handle of its own as the drive is about
  // to get this block, unless exclusive access is held; negative: none does.
  int otherProgramAtBlock = -1;
  // Another program holds the drive for exclusive access under this name once the program has
  // found the drive (its INQUIRY answered); "" none does.
  std::string exclusiveHolder;
  // An older system, or Wine: both controls refused with this error (e.g. 1 or 50); 0 has them.
  std::uint32_t controlsRefusedError = 0;
  // Lets time pass while the drive is busy; unset, simulated time costs nothing.
  std::function<void(std::uint32_t ms)> sleep;
};

}  // namespace flindor::sim
