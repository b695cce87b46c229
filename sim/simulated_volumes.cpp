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

ObjectHandle SimulatedVolumes::open(const char* devicePath, VolumeAccess access) {
  const auto letter = letterOf(devicePath);
  if (!letter) return kInvalidHandle;
  SimulatedDrive* drive = bus_.driveAtLetter(*letter);
  if (drive == nullptr) return kInvalidHandle;
  // Discovery's open comes before the drive has answered an INQUIRY; faults are for downloads.
  if (access == VolumeAccess::ReadWrite && drive->answeredInquiry() &&
      drive->takeFault(FaultKind::OpenFails, drive->expectedBlock())) {
    bus_.note(where(*letter) + " open refused: fault open-fails");
    return kInvalidHandle;
  }
  const ObjectHandle handle = next_++;
  open_[handle] = {*letter, access};
  if (access == VolumeAccess::ReadWrite) ++opens_;
  return handle;
}

// The configured holder takes the drive once the program has found it, as a burning program
// started meanwhile would.
bool SimulatedVolumes::holderCame(char letter) {
  const SimulatedDrive* drive = bus_.driveAtLetter(letter);
  return !bus_.settings.exclusiveHolder.empty() && drive != nullptr && drive->answeredInquiry();
}

// Another program's exclusive access keeps every other handle from the drive.
bool SimulatedVolumes::heldByAnother(char letter, ObjectHandle volume) {
  const ObjectHandle owner = letters_[letter].exclusiveOwner;
  return holderCame(letter) || (owner != kInvalidHandle && owner != volume);
}

// The class driver asks the drive whether a medium has come, as it does about once a second,
// while nobody has turned its media-change notification off.
void SimulatedVolumes::pollIfDue(char letter, SimulatedDrive& drive) {
  Letter& state = letters_[letter];
  if (bus_.settings.pollMs < 0 || !state.pollingOff.empty()) return;
  const std::uint64_t now = bus_.elapsedMs();
  if (bus_.settings.pollMs > 0 &&
      now - state.lastPollMs < static_cast<std::uint64_t>(bus_.settings.pollMs)) {
    return;
  }
  state.lastPollMs = now;
  const std::uint8_t cdb[6] = {scsi::kTestUnitReady};
  const DriveAnswer answer = drive.execute({cdb, sizeof cdb, DataDirection::None, nullptr, 0});
  bus_.noteAnswer(where(letter) + " poll", answer, statusText(answer));
}

// A media player or a virus scanner asks the drive who it is, through a handle of its own.
void SimulatedVolumes::otherProgram(char letter, SimulatedDrive& drive) {
  Letter& state = letters_[letter];
  if (state.otherProgramCame) return;
  state.otherProgramCame = true;
  if (state.exclusiveOwner != kInvalidHandle) {
    bus_.note(where(letter) + " another program's INQUIRY refused: exclusive access is held");
    return;
  }
  const std::uint8_t cdb[6] = {scsi::kInquiry, 0, 0, 0, 36, 0};
  std::uint8_t data[36] = {};
  const DriveAnswer answer = drive.execute({cdb, sizeof cdb, DataDirection::In, data, sizeof data});
  bus_.noteAnswer(where(letter) + " another program's", answer, statusText(answer));
}

bool SimulatedVolumes::passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                                   std::uint32_t& bytesReturned, std::uint32_t& error) {
  bytesReturned = 0;
  error = nt::kErrorInvalidParameter;
  auto it = open_.find(volume);
  if (it == open_.end() || request == nullptr) return false;
  const char letter = it->second.letter;
  const std::string at = where(letter);
  auto& r = *static_cast<ScsiPassThroughDirect*>(request);
  // The driver's own checks of the request block.
  if (size < sizeof r || r.Length != sizeof r || r.CdbLength == 0 || r.CdbLength > sizeof r.Cdb ||
      (r.SenseInfoLength > 0 &&
       (r.SenseInfoOffset < sizeof r || r.SenseInfoOffset + r.SenseInfoLength > size))) {
    bus_.note(at + " pass-through refused: invalid request block");
    return false;
  }
  if (it->second.access != VolumeAccess::ReadWrite) {
    bus_.note(at + " pass-through refused: the handle may not read or write");
    error = nt::kErrorAccessDenied;
    return false;
  }
  SimulatedDrive* drive = bus_.driveAtLetter(letter);
  if (drive == nullptr) {
    bus_.note(at + " pass-through failed: no device");
    error = nt::kErrorNotConnected;
    return false;
  }
  if (heldByAnother(letter, volume)) {
    bus_.note(at + " pass-through refused: another handle holds the drive for exclusive access");
    error = nt::kErrorAccessDenied;
    return false;
  }
  // Faults are planned for DownloadCommands only.
  const bool download = r.Cdb[0] == zib::kDownload;
  const std::uint8_t block = r.Cdb[zib::kBlockByte];
  pollIfDue(letter, *drive);
  if (download && block == bus_.settings.otherProgramAtBlock) otherProgram(letter, *drive);
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

bool SimulatedVolumes::control(ObjectHandle volume, std::uint32_t code, const void* in,
                               std::uint32_t inSize, void* out, std::uint32_t outSize,
                               std::uint32_t& error) {
  error = nt::kErrorInvalidParameter;
  const auto it = open_.find(volume);
  if (it == open_.end()) return false;
  const Handle handle = it->second;
  if (code != nt::kIoctlStorageMcnControl && code != nt::kIoctlCdromExclusiveAccess) return false;
  if (bus_.settings.controlsRefusedError != 0) {
    error = bus_.settings.controlsRefusedError;
    bus_.note(where(handle.letter) + " control refused with error " + std::to_string(error));
    return false;
  }
  if (code == nt::kIoctlCdromExclusiveAccess) {
    return exclusiveAccess(handle, volume, in, inSize, out, outSize, error);
  }
  // Media-change notification: on a handle opened for its attributes only, one boolean.
  if (handle.access != VolumeAccess::Attributes || in == nullptr || inSize < 1) return false;
  std::set<ObjectHandle>& off = letters_[handle.letter].pollingOff;
  if (*static_cast<const std::uint8_t*>(in) != 0) {
    off.insert(volume);
  } else {
    off.erase(volume);
  }
  bus_.note(where(handle.letter) + " media-change notification " + (off.empty() ? "on" : "off"));
  error = 0;
  return true;
}

bool SimulatedVolumes::exclusiveAccess(Handle handle, ObjectHandle volume, const void* in,
                                       std::uint32_t inSize, void* out, std::uint32_t outSize,
                                       std::uint32_t& error) {
  if (handle.access != VolumeAccess::ReadWrite) {
    error = nt::kErrorAccessDenied;
    return false;
  }
  if (in == nullptr || inSize < 8) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(in);
  std::uint32_t type = 0;
  std::memcpy(&type, bytes, sizeof type);
  Letter& state = letters_[handle.letter];
  const std::string& holder = bus_.settings.exclusiveHolder;
  const std::string at = where(handle.letter);
  if (type == nt::kExclusiveQueryState) {
    if (out == nullptr || outSize < nt::kExclusiveStateBytes) return false;
    auto* state_out = static_cast<std::uint8_t*>(out);
    std::memset(state_out, 0, nt::kExclusiveStateBytes);
    const bool holderHolds = holderCame(handle.letter);
    state_out[0] = holderHolds || state.exclusiveOwner != kInvalidHandle;
    if (holderHolds) {
      std::memcpy(state_out + 1, holder.data(),
                  std::min(holder.size(), nt::kExclusiveCallerBytes - 1));
    }
  } else if (type == nt::kExclusiveLockDevice) {
    if (inSize < nt::kExclusiveLockBytes) return false;
    if (heldByAnother(handle.letter, volume) || state.exclusiveOwner == volume) {
      bus_.note(at + " exclusive access refused: held by " +
                (holderCame(handle.letter) ? holder : std::string("another handle")));
      error = nt::kErrorAccessDenied;
      return false;
    }
    state.exclusiveOwner = volume;
    bus_.note(at + " exclusive access taken");
  } else if (type == nt::kExclusiveUnlockDevice) {
    if (state.exclusiveOwner != volume) return false;
    state.exclusiveOwner = kInvalidHandle;
    bus_.note(at + " exclusive access given back");
  } else {
    return false;
  }
  error = 0;
  return true;
}

void SimulatedVolumes::closeAll() {
  while (!open_.empty()) close(open_.begin()->first);
}

// Closing a handle undoes what it did, as the class driver's clean-up does.
void SimulatedVolumes::close(ObjectHandle volume) {
  const auto it = open_.find(volume);
  if (it == open_.end()) {
    // On Windows a handle closed twice may close another's, opened since with the same value.
    bus_.note("close of a handle not open");
    ++strayCloses_;
    return;
  }
  Letter& state = letters_[it->second.letter];
  state.pollingOff.erase(volume);
  if (state.exclusiveOwner == volume) state.exclusiveOwner = kInvalidHandle;
  open_.erase(it);
}

}  // namespace flindor::sim
