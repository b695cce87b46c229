#include "sim/simulated_volumes.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string>

#include "scsi/scsi_pass_through_direct.h"
#include "sim/wire_values.h"

namespace flindor::sim {
namespace {

std::optional<char> letterOf(const char* path) {
  if (path == nullptr || std::strncmp(path, "\\\\.\\", 4) != 0) return std::nullopt;
  const char letter = path[4];
  if (!std::isalpha(static_cast<unsigned char>(letter)) || path[5] != ':') return std::nullopt;
  for (const char* rest = path + 6; *rest != '\0'; ++rest) {
    if (*rest != ' ') return std::nullopt;
  }
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

std::string where(char letter) { return std::string("volume ") + letter + ":"; }

}  // namespace

ObjectHandle SimulatedVolumes::open(const char* devicePath) {
  const auto letter = letterOf(devicePath);
  if (!letter) return kInvalidHandle;
  SimulatedDrive* drive = bus_.driveAtLetter(*letter);
  if (drive == nullptr) return kInvalidHandle;
  // Discovery's open comes before the drive has answered an INQUIRY; faults are for downloads.
  if (drive->answeredInquiry() && drive->takeFault(FaultKind::OpenFails, drive->expectedBlock())) {
    bus_.note(where(*letter) + " open refused: fault open-fails");
    return kInvalidHandle;
  }
  const ObjectHandle handle = next_++;
  open_[handle] = *letter;
  return handle;
}

bool SimulatedVolumes::passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                                   std::uint32_t& bytesReturned, std::uint32_t& error) {
  bytesReturned = 0;
  error = nt::kErrorInvalidParameter;
  auto it = open_.find(volume);
  if (it == open_.end() || request == nullptr) return false;
  const std::string at = where(it->second);
  auto& r = *static_cast<ScsiPassThroughDirect*>(request);
  // The driver's own checks of the request block.
  if (size < sizeof r || r.Length != sizeof r || r.CdbLength == 0 || r.CdbLength > sizeof r.Cdb ||
      (r.SenseInfoLength > 0 &&
       (r.SenseInfoOffset < sizeof r || r.SenseInfoOffset + r.SenseInfoLength > size))) {
    bus_.note(at + " pass-through refused: invalid request block");
    return false;
  }
  SimulatedDrive* drive = bus_.driveAtLetter(it->second);
  if (drive == nullptr) {
    bus_.note(at + " pass-through failed: no device");
    error = nt::kErrorNotConnected;
    return false;
  }
  // Faults are planned for DownloadCommands only.
  const bool download = r.Cdb[0] == zib::kDownload;
  const std::uint8_t block = r.Cdb[zib::kBlockByte];
  if (download && drive->takeFault(FaultKind::IoctlRefused, block)) {
    error = bus_.settings.refusalError;
    bus_.note(at + " pass-through refused with error " + std::to_string(error) +
              ": fault ioctl-refused");
    return false;
  }
  const DataDirection direction = r.DataIn == nt::kDataIn    ? DataDirection::In
                                  : r.DataIn == nt::kDataOut ? DataDirection::Out
                                                             : DataDirection::None;
  const DriveAnswer answer =
      drive->execute({r.Cdb, r.CdbLength, direction, static_cast<std::uint8_t*>(r.DataBuffer),
                      r.DataTransferLength});
  const std::uint64_t timeoutMs = std::uint64_t{r.TimeOutValue} * 1000;
  bus_.pause(static_cast<std::uint32_t>(std::min<std::uint64_t>(answer.busyMs, timeoutMs)));
  std::string verdict = statusText(answer);
  if (answer.noResponse) {
    bus_.noteAnswer(at, answer, verdict + ", then no response: fault drop-off");
    error = nt::kErrorNotConnected;
    return false;
  }
  if (answer.busyMs > timeoutMs || (download && answer.status == scsi::kStatusGood &&
                                    drive->takeFault(FaultKind::TimeOut, block))) {
    drive->answerLost();
    error = nt::kErrorSemTimeout;
    bus_.noteAnswer(at, answer,
                    verdict + ", then time-out after " + std::to_string(r.TimeOutValue) + " s");
    return false;
  }
  r.ScsiStatus = answer.status;
  if (answer.status != scsi::kStatusGood && r.SenseInfoLength > 0) {
    std::memcpy(static_cast<std::uint8_t*>(request) + r.SenseInfoOffset, answer.sense.data(),
                std::min<std::size_t>(r.SenseInfoLength, kSenseBytes));
  }
  if (direction == DataDirection::In) r.DataTransferLength = answer.transferred;
  if (answer.status == scsi::kStatusGood && download &&
      drive->takeFault(FaultKind::IoctlFails, block)) {
    drive->answerLost();
    bus_.noteAnswer(at, answer, verdict + ", then lost: fault ioctl-fails");
    error = nt::kErrorIoDevice;
    return false;
  }
  bus_.noteAnswer(at, answer, verdict);
  error = 0;
  bytesReturned = size;
  return true;
}

void SimulatedVolumes::close(ObjectHandle volume) { open_.erase(volume); }

}  // namespace flindor::sim
