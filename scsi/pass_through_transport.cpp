#include "scsi/pass_through_transport.h"

#include <algorithm>
#include <cstring>

#include "image/image_layout.h"
#include "platform/private_commands.h"
#include "platform/scoped_handle.h"
#include "scsi/block_answer.h"
#include "scsi/drive_controls.h"
#include "scsi/scsi_commands.h"
#include "state/command_ids.h"

namespace flindor {
namespace {

// The blanks after the colon are part of the path the volume is opened with.
constexpr char kVolumePathTemplate[] = "\\\\.\\A:              ";
constexpr std::size_t kDriveLetterAt = 4;
static_assert(sizeof kVolumePathTemplate - 1 == 20);
static_assert(kPassThroughInquiryBytes <= kBlockBufferSize);

// One command: what the GUI thread prepares, and what the thread that runs it learns.
struct PassThroughCommand {
  std::uint8_t block;  // downloads only
  char path[kVolumePathCapacity];
  PassThroughRequest request;
  bool opened;  // INQUIRY only: a download's volume is the run's (takeDrive)
  bool carriedOut;
  std::uint32_t error;
  std::uint32_t token;  // downloads only: what the answer carries, so it names this command
};

// The one DownloadCommand that may be out: the worker writes its results and the answer before
// it hands the command back with a synchronous send, and the GUI thread reads them only then.
PassThroughCommand download;

// The drive as the run holds it, from the block that took it to the run's end. Taken by a job
// on the worker thread, given back on the GUI thread when no job is out.
struct DriveHold {
  ObjectHandle volume = kInvalidHandle;      // read and write: every block goes through it
  ObjectHandle attributes = kInvalidHandle;  // attributes only, with media-change polling off
  bool locked = false;                       // exclusive access taken
};
DriveHold hold;

void prepare(PassThroughCommand& command, const DriveEntry& drive, const Cdb& cdb,
             std::uint8_t dataIn, std::uint32_t dataBytes, std::uint32_t timeoutSeconds) {
  volumePathOf(drive, command.path);
  command.opened = command.carriedOut = false;
  command.error = 0;

  PassThroughRequest& request = command.request;
  std::memset(&request, 0, sizeof request);
  ScsiPassThroughDirect& r = request.record;
  r.Length = sizeof(ScsiPassThroughDirect);
  r.CdbLength = kCdbBytes;
  r.SenseInfoLength = kPassThroughSenseRequested;
  r.DataIn = dataIn;
  r.DataTransferLength = dataBytes;
  r.TimeOutValue = timeoutSeconds;
  r.DataBuffer = appState.blockBuffer;
  r.SenseInfoOffset = offsetof(PassThroughRequest, sense);
  std::memcpy(r.Cdb, cdb.data(), cdb.size());
}

// The call itself, on a handle the caller holds.
void call(PassThroughCommand& command, ObjectHandle volume) {
  std::uint32_t bytesReturned = 0;
  command.carriedOut = ports().volumes->passThrough(
      volume, &command.request, sizeof command.request, bytesReturned, command.error);
  if (command.carriedOut) command.error = 0;
}

// Open, one call, close: an INQUIRY, on the calling thread.
void execute(PassThroughCommand& command) {
  VolumeDevices& volumes = *ports().volumes;
  ScopedHandle volume(volumes, volumes.open(command.path, VolumeAccess::ReadWrite));
  command.opened = volume.valid();
  if (command.opened) call(command, volume.get());
}

// The drive for the run: the handle the blocks go through, the media-change polling off on a
// handle of its own, exclusive access on the first. What the system lacks is said in `controls`
// and never stops the run; only another program's exclusive access does, and then nothing is
// kept.
NotSentReason takeDrive(const char* path, DriveControls& controls) {
  VolumeDevices& volumes = *ports().volumes;
  hold.volume = volumes.open(path, VolumeAccess::ReadWrite);
  if (hold.volume == kInvalidHandle) return NotSentReason::VolumeNotOpened;
  controls.taken = true;
  controls.pollingError = kControlNotOpened;
  hold.attributes = volumes.open(path, VolumeAccess::Attributes);
  const std::uint8_t pollingOff = 1;
  if (hold.attributes != kInvalidHandle &&
      !volumes.control(hold.attributes, kIoctlStorageMcnControl, &pollingOff, sizeof pollingOff,
                       nullptr, 0, controls.pollingError)) {
    volumes.close(hold.attributes);
    hold.attributes = kInvalidHandle;
  }
  CdromExclusiveLock lock{{kExclusiveAccessLockDevice, kCdromLockIgnoreVolume}, {}};
  std::memcpy(lock.CallerName, kExclusiveCallerName, sizeof kExclusiveCallerName);
  hold.locked = volumes.control(hold.volume, kIoctlCdromExclusiveAccess, &lock, sizeof lock,
                                nullptr, 0, controls.exclusiveError);
  if (hold.locked || controls.exclusiveError != kErrorAccessDenied) return NotSentReason::None;
  // Another program holds the drive for itself: whom the system names, and nothing sent.
  const CdromExclusiveAccess query{kExclusiveAccessQueryState, 0};
  CdromExclusiveLockState state{};
  std::uint32_t error = 0;
  if (volumes.control(hold.volume, kIoctlCdromExclusiveAccess, &query, sizeof query, &state,
                      sizeof state, error) &&
      state.LockState != 0) {
    std::memcpy(controls.holder, state.CallerName, sizeof state.CallerName);
  }
  controls.holder[sizeof controls.holder - 1] = '\0';
  passThroughReleaseDrive();
  return NotSentReason::HeldByAnotherProgram;
}

bool refusedBySystem(std::uint32_t error) {
  return std::find(kSystemRefusals.begin(), kSystemRefusals.end(), error) != kSystemRefusals.end();
}

// What became of the command, as both back ends say it. The drive's own verdict comes first: an
// error status counts whatever the call said.
void answerOf(const PassThroughCommand& command, NotSentReason notSent,
              const DriveControls& controls) {
  const ScsiPassThroughDirect& r = command.request.record;
  BlockAnswerKind kind = BlockAnswerKind::Completed;
  if (notSent != NotSentReason::None) {
    kind = BlockAnswerKind::NotSent;
  } else if (r.ScsiStatus != kScsiStatusGood) {
    kind = BlockAnswerKind::DriveError;
  } else if (!command.carriedOut) {
    kind = refusedBySystem(command.error) ? BlockAnswerKind::RefusedByHost
                                          : BlockAnswerKind::CallFailed;
  }
  blockAnswer = {kind, notSent, command.block, r.ScsiStatus, 0, 0, command.error, {}, controls};
  std::memcpy(blockAnswer.sense, command.request.sense, kAnswerSenseBytes);
  sendPrivateCommand(appState.mainWindow, kCommandBlockAnswered, command.token);
}

void runDownload(void*) {
  DriveControls controls{};
  NotSentReason notSent = NotSentReason::None;
  if (hold.volume == kInvalidHandle) notSent = takeDrive(download.path, controls);
  if (notSent == NotSentReason::None) call(download, hold.volume);
  answerOf(download, notSent, controls);
}

}  // namespace

void volumePathOf(const DriveEntry& drive, char (&path)[kVolumePathCapacity]) {
  std::memset(path, 0, sizeof path);
  std::memcpy(path, kVolumePathTemplate, sizeof kVolumePathTemplate - 1);
  path[kDriveLetterAt] = static_cast<char>('A' + drive.driveLetterIndex);
}

std::uint32_t passThroughInquiry(std::uint8_t entryIndex) {
  if (entryIndex >= kDriveTableSize) return 0;
  PassThroughCommand inquiry{};
  // What a short answer leaves unwritten must not be read as an earlier device's answer.
  std::memset(appState.blockBuffer, 0, kPassThroughInquiryBytes);
  prepare(inquiry, appState.driveTable[entryIndex], inquiryCdb(kPassThroughInquiryLength),
          kScsiIoctlDataIn, kPassThroughInquiryBytes, kPassThroughInquiryTimeoutSeconds);
  execute(inquiry);
  // The drive's own verdict comes first: an error status is silent whatever the call said.
  if (!inquiry.opened || inquiry.request.record.ScsiStatus != kScsiStatusGood ||
      !inquiry.carriedOut) {
    return 0;
  }
  // The system writes back how many bytes actually came.
  return std::min(inquiry.request.record.DataTransferLength, kPassThroughInquiryBytes);
}

void passThroughSendBlock(const DriveEntry& drive, std::uint8_t block) {
  download.block = block;
  // Only this command's answer is taken from now on.
  download.token = expectCommand(kCommandBlockAnswered);
  prepare(download, drive, downloadCdb(block), kScsiIoctlDataOut, framedBlockBytes(block),
          block == kFinalBlock ? kPassThroughFinalBlockTimeoutSeconds
                               : kPassThroughBlockTimeoutSeconds);
  if (!ports().worker->start(runDownload, nullptr)) {
    answerOf(download, NotSentReason::NoThread, DriveControls{});
  }
}

void passThroughForgetDrive() { hold = DriveHold{}; }

void passThroughReleaseDrive() {
  if (hold.volume == kInvalidHandle && hold.attributes == kInvalidHandle) return;
  VolumeDevices& volumes = *ports().volumes;
  std::uint32_t error = 0;
  if (hold.volume != kInvalidHandle) {
    const CdromExclusiveAccess unlock{kExclusiveAccessUnlockDevice, 0};
    if (hold.locked) {
      volumes.control(hold.volume, kIoctlCdromExclusiveAccess, &unlock, sizeof unlock, nullptr, 0,
                      error);
    }
    volumes.close(hold.volume);
  }
  if (hold.attributes != kInvalidHandle) {
    const std::uint8_t pollingOn = 0;
    volumes.control(hold.attributes, kIoctlStorageMcnControl, &pollingOn, sizeof pollingOn, nullptr,
                    0, error);
    volumes.close(hold.attributes);
  }
  hold = DriveHold{};
}

}  // namespace flindor
