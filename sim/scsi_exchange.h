#pragma once
// One SCSI command as it reaches the simulated drive, whichever way it came, and the drive's
// answer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace flindor::sim {

enum class DataDirection { None, In, Out };

struct ScsiRequest {
  const std::uint8_t* cdb = nullptr;
  std::size_t cdbLength = 0;
  DataDirection direction = DataDirection::None;
  std::uint8_t* data = nullptr;
  std::uint32_t dataLength = 0;
};

// Fixed-format sense data, as a drive returns it with CHECK CONDITION.
inline constexpr std::size_t kSenseBytes = 18;
using SenseData = std::array<std::uint8_t, kSenseBytes>;

struct DriveAnswer {
  std::uint8_t status = 0;  // SCSI status byte
  std::uint32_t transferred = 0;
  SenseData sense{};
  // The drive never answered (gone from the bus): the host sees a selection or I/O failure.
  bool noResponse = false;
  // How long the drive took before it answered, e.g. while programming its flash.
  std::uint32_t busyMs = 0;
  // The drive's reading of the command, for the transcript: "DOWNLOAD block=5 len=2052 crc=ok".
  std::string command;
  // Why the drive refused it, or anything else the transcript should say about it.
  std::string remark;
};

}  // namespace flindor::sim
