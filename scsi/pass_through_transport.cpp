#include "scsi/pass_through_transport.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "image/image_layout.h"
#include "platform/format_text.h"
#include "platform/private_commands.h"
#include "platform/scoped_handle.h"
#include "scsi/block_answer.h"
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
static_assert(kPassThroughInquiryBytes <= kBlockBufferSize);

enum class Kind { Inquiry, Download };

// One command: what the GUI thread prepares, and what the thread that runs it learns.
struct PassThroughCommand {
  Kind kind;
  std::uint8_t block;  // downloads only
  char path[kPathCapacity];
  PassThroughRequest request;
  bool opened;
  bool carriedOut;
  std::uint32_t error;
  std::uint32_t token;  // downloads only: what the hand-off carries, so it names this command
};

// The one DownloadCommand that may be out: the worker writes its results before it hands the
// command back with a synchronous send, and the GUI thread reads them only after that.
PassThroughCommand download;
PassThroughResultHandler resultHandler = nullptr;
// How the last DownloadCommand failed, for its message.
PassThroughFailure lastFailure = PassThroughFailure::None;

// Formats into the one message buffer, cut to its size, and shows it.
[[gnu::format(printf, 1, 2)]] void showInfo(const char* format, ...) {
  std::va_list values;
  va_start(values, format);
  formatText(appState.messageText, sizeof appState.messageText, format, values);
  va_end(values);
  ports().ui->messageBox(nullptr, appState.messageText, scsi_text::kInfo, kIconExclamation);
}

void prepare(PassThroughCommand& command, std::uint8_t entryIndex, const Cdb& cdb,
             std::uint8_t dataIn, std::uint32_t dataBytes, std::uint32_t timeoutSeconds) {
  std::memset(command.path, 0, sizeof command.path);
  std::memcpy(command.path, kVolumePathTemplate, sizeof kVolumePathTemplate - 1);
  command.path[kDriveLetterAt] =
      static_cast<char>('A' + appState.driveTable[entryIndex].driveLetterIndex);
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

// Open, one call, close: the part that waits on the drive, on whichever thread runs it.
void execute(PassThroughCommand& command) {
  VolumeDevices& volumes = *ports().volumes;
  ScopedHandle volume(volumes, volumes.open(command.path));
  command.opened = volume.valid();
  if (!command.opened) return;
  std::uint32_t bytesReturned = 0;
  command.carriedOut = volumes.passThrough(volume.get(), &command.request, sizeof command.request,
                                           bytesReturned, command.error);
  if (command.carriedOut) command.error = 0;
}

void runDownload(void*) {
  execute(download);
  sendPrivateCommand(appState.mainWindow, kCommandPassThroughFinished, download.token);
}

void report(PassThroughOutcome outcome) {
  lastFailure = outcome.failure;
  if (resultHandler != nullptr) resultHandler(outcome);
}

}  // namespace

void setPassThroughResultHandler(PassThroughResultHandler handler) { resultHandler = handler; }

std::uint32_t passThroughInquiry(std::uint8_t entryIndex) {
  if (entryIndex >= kDriveTableSize) return 0;
  PassThroughCommand inquiry{};
  inquiry.kind = Kind::Inquiry;
  // What a short answer leaves unwritten must not be read as an earlier device's answer.
  std::memset(appState.blockBuffer, 0, kPassThroughInquiryBytes);
  prepare(inquiry, entryIndex, inquiryCdb(kPassThroughInquiryLength), kScsiIoctlDataIn,
          kPassThroughInquiryBytes, kPassThroughInquiryTimeoutSeconds);
  execute(inquiry);
  // The drive's own verdict comes first: an error status is silent whatever the call said.
  if (!inquiry.opened || inquiry.request.record.ScsiStatus != kScsiStatusGood ||
      !inquiry.carriedOut) {
    return 0;
  }
  // The system writes back how many bytes actually came.
  return std::min(inquiry.request.record.DataTransferLength, kPassThroughInquiryBytes);
}

void passThroughDownloadCommand(std::uint8_t entryIndex, std::uint8_t block) {
  if (entryIndex >= kDriveTableSize) {
    report({PassThroughFailure::NotStarted, 0});  // no volume to name
    return;
  }
  download.kind = Kind::Download;
  download.block = block;
  // Only this command's hand-off is taken from now on.
  download.token = expectCommand(kCommandPassThroughFinished);
  prepare(download, entryIndex, downloadCdb(block), kScsiIoctlDataOut, framedBlockBytes(block),
          block == kFinalBlock ? kPassThroughFinalBlockTimeoutSeconds
                               : kPassThroughBlockTimeoutSeconds);
  if (!ports().worker->start(runDownload, nullptr)) report({PassThroughFailure::NotStarted, 0});
}

void passThroughDownloadFinished() {
  // The router took this command's own token; a block must still be out for it.
  if (appState.blockOutstanding == 0) return;
  const PassThroughCommand& command = download;
  keepPassThroughAnswer(command.request, command.error);
  if (!command.opened) {
    report({PassThroughFailure::VolumeNotOpened, 0});
  } else if (command.request.record.ScsiStatus != kScsiStatusGood) {
    // The drive's own verdict comes first: an error status is silent whatever the call said.
    report({PassThroughFailure::DriveRefused, 0});
  } else if (!command.carriedOut) {
    report({PassThroughFailure::CallFailed, command.error});
  } else {
    report({PassThroughFailure::None, 0});
  }
}

void showPassThroughFailure() {
  const PassThroughCommand& command = download;
  if (lastFailure == PassThroughFailure::VolumeNotOpened) {
    showInfo(scsi_text::kOpenFailedFormat, command.path);
  } else if (lastFailure == PassThroughFailure::CallFailed && command.block != kFinalBlock) {
    showInfo(scsi_text::kWriteErrorFormat, command.block);
  }
}

}  // namespace flindor
