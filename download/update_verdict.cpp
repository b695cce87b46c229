#include "download/update_verdict.h"

#include <cstring>

#include "download/update_messages.h"
#include "download/update_record.h"
#include "image/image_layout.h"
#include "platform/format_text.h"
#include "platform/log_file.h"
#include "state/app_state.h"
#include "state/drive_text.h"

namespace flindor {
namespace {

constexpr std::size_t kMessageCapacity = 400;

// The drive the record names: at its address, with its vendor and product; another drive at
// that address is not it.
const DriveEntry* namedDrive(const UpdateRecord& record) {
  for (const DriveEntry& entry : appState.driveTable) {
    char address[sizeof record.address] = {};
    driveAddress(entry, address, sizeof address);
    if (entry.present == 1 && std::memcmp(address, record.address, sizeof address) == 0 &&
        std::memcmp(entry.identification, record.drive, sizeof record.drive) == 0) {
      return &entry;
    }
  }
  return nullptr;
}

int blockOf(const UpdateRecord& record) {
  int block = 0;
  for (const char* c = record.block; *c >= '0' && *c <= '9'; ++c) block = block * 10 + *c - '0';
  return block;
}

}  // namespace

void giveUpdateVerdict() {
  AppState& s = appState;
  UpdateRecord record;
  if (s.verdictGiven != 0) return;
  s.verdictGiven = 1;
  if (!readRecord(record)) return;

  const DriveEntry* drive = namedDrive(record);
  const bool completed = std::memcmp(record.state, kRecordCompleted, sizeof kRecordCompleted) == 0;
  const int block = blockOf(record);
  char name[sizeof record.drive];
  driveName(record.drive, name, sizeof name);
  char progress[40];
  formatTextOf(progress, sizeof progress,
               completed ? update_text::kDownloadCompleted : update_text::kDownloadStopped, block);
  // Only a drive that may have programmed its flash can have taken the update.
  const bool programmed = completed || block >= kFinalBlock;
  const bool took =
      drive != nullptr && programmed && std::memcmp(drive->revision, record.newRevision, 4) == 0;

  char text[kMessageCapacity];
  bool clear = took;
  if (took) {
    formatTextOf(text, sizeof text, update_text::kComplete, drive->revision);
  } else if (drive == nullptr) {
    formatTextOf(text, sizeof text, update_text::kMissing, name, record.address, record.oldRevision,
                 record.newRevision, progress);
  } else if (programmed) {
    formatTextOf(text, sizeof text, update_text::kNotTaken, name, record.address, drive->revision,
                 record.newRevision, progress, drive->revision);
  } else {
    // Nothing reached the flash: the drive runs its firmware as before, and answers.
    clear = true;
    formatTextOf(text, sizeof text, update_text::kNotProgrammed, name, record.address, progress,
                 drive->revision);
  }
  const bool cleared = clear && clearRecord();
  logLine("update check: %s (record %s)", text, cleared ? "cleared" : "kept");
  WindowHandle owner = s.driveSelected != 0 ? s.mainWindow : nullptr;
  if (took) {
    ports().ui->messageBox(owner, text, update_text::kSuccess, kIconInformation);
  } else {
    ports().ui->messageBox(owner, text, update_text::kWarning, kIconExclamation);
  }
}

}  // namespace flindor
