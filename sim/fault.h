#pragma once
// The faults that can be planned for a DownloadCommand of a given block.

#include <cstdint>
#include <optional>
#include <string_view>

namespace flindor::sim {

enum class FaultKind {
  NotAccepted,     // ASPI: SendASPI32Command refuses the request; no completion follows
  NoCompletion,    // ASPI: taken, but its post routine is never called
  AspiError,       // ASPI: the drive takes the block, the request still ends with SS_ERR
  AspiAborted,     // ASPI: the request is aborted before it reaches the drive (SS_ABORTED)
  CheckCondition,  // the drive refuses the block with CHECK CONDITION
  IoctlFails,      // pass-through: the drive takes the block, DeviceIoControl still fails
  IoctlRefused,    // pass-through: the storage stack refuses the request; the drive never sees it
  TimeOut,         // pass-through: the drive takes the block; the host stops waiting for it
  OpenFails,       // pass-through: the volume cannot be opened while the drive waits for it
  DropOff,         // final block: the drive programs its flash, then leaves the bus unanswered
  Slow,            // the drive takes the block and answers only after the slow-block time
};

std::optional<FaultKind> faultKindNamed(std::string_view name);

}  // namespace flindor::sim
