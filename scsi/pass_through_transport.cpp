#include "scsi/pass_through_transport.h"

#include <cstdarg>
#include <cstring>

#include "image/image_layout.h"
#include "platform/format_text.h"
#include "platform/scoped_handle.h"
#include "scsi/scsi_commands.h"
#include "scsi/scsi_messages.h"
#include "state/app_state.h"

namespace flindor {
namespace {

constexpr std::size_t kPathCapacity = 260;
// The blanks after the colon are part of the path the volume is opened with.
constexpr char kVolumePathTemplate[] = "\\\\.\\A:              ";
constexpr std::size_t kDriveLetterAt = 4;
static_assert(sizeof kVolumePathTemplate - 1 == 20);

enum class Kind { Inquiry, Download };

struct PassThroughCommand {
  Kind kind;
  std::uint8_t block;  // downloads only
  Cdb cdb;
  std::uint8_t dataIn;
  std::uint32_t dataBytes;
  std::uint32_t timeoutSeconds;
};

// Formats into the one message buffer, cut to its size, and shows it.
[[gnu::format(printf, 1, 2)]] void showInfo(const char* format, ...) {
  std::va_list values;
  va_start(values, format);
  formatText(appState.messageText, sizeof appState.messageText, format, values);
  va_end(values);
  ports().ui->messageBox(nullptr, appState.messageText, scsi_text::kInfo, kIconExclamation);
}

void fillRequest(PassThroughRequest& request, const PassThroughCommand& command) {
  std::memset(&request, 0, sizeof request);
  ScsiPassThroughDirect& r = request.record;
  r.Length = sizeof(ScsiPassThroughDirect);
  r.CdbLength = kCdbBytes;
  r.SenseInfoLength = kPassThroughSenseRequested;
  r.DataIn = command.dataIn;
  r.DataTransferLength = command.dataBytes;
  r.TimeOutValue = command.timeoutSeconds;
  r.DataBuffer = appState.blockBuffer;
  r.SenseInfoOffset = offsetof(PassThroughRequest, sense);
  std::memcpy(r.Cdb, command.cdb.data(), command.cdb.size());
}

PassThroughFailure run(std::uint8_t entryIndex, const PassThroughCommand& command) {
  if (entryIndex >= kDriveTableSize) return PassThroughFailure::VolumeNotOpened;
  char path[kPathCapacity] = {};
  std::memcpy(path, kVolumePathTemplate, sizeof kVolumePathTemplate - 1);
  path[kDriveLetterAt] = static_cast<char>('A' + appState.driveTable[entryIndex].driveLetterIndex);

  VolumeDevices& volumes = *ports().volumes;
  ScopedHandle volume(volumes, volumes.open(path));
  if (!volume.valid()) {
    if (command.kind == Kind::Download) {
      showInfo(scsi_text::kOpenFailedFormat, path);
    }
    return PassThroughFailure::VolumeNotOpened;
  }

  PassThroughRequest request;
  fillRequest(request, command);
  std::uint32_t bytesReturned = 0;
  const bool carriedOut =
      volumes.passThrough(volume.get(), &request, sizeof request, bytesReturned);
  // The drive's own verdict comes first: an error status is silent whatever the call said.
  if (request.record.ScsiStatus != kScsiStatusGood) return PassThroughFailure::DriveRefused;
  if (!carriedOut) {
    if (command.kind == Kind::Download && command.block != kFinalBlock) {
      showInfo(scsi_text::kWriteErrorFormat, command.block);
    }
    return PassThroughFailure::CallFailed;
  }
  return PassThroughFailure::None;
}

}  // namespace

int passThroughInquiry(std::uint8_t entryIndex) {
  const PassThroughFailure failure =
      run(entryIndex, {Kind::Inquiry, 0, inquiryCdb(kPassThroughInquiryLength), kScsiIoctlDataIn,
                       kPassThroughInquiryBytes, kPassThroughInquiryTimeoutSeconds});
  return failure == PassThroughFailure::None ? 1 : 0;
}

int passThroughDownloadCommand(std::uint8_t entryIndex, std::uint8_t block,
                               PassThroughFailure* failure) {
  const std::uint32_t timeout =
      block == kFinalBlock ? kPassThroughFinalBlockTimeoutSeconds : kPassThroughBlockTimeoutSeconds;
  const PassThroughFailure why =
      run(entryIndex, {Kind::Download, block, downloadCdb(block), kScsiIoctlDataOut,
                       framedBlockBytes(block), timeout});
  if (failure != nullptr) *failure = why;
  return why == PassThroughFailure::None ? 1 : 0;
}

}  // namespace flindor
