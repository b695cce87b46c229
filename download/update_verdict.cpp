#include "download/update_verdict.h"

#include <cstring>

#include "download/update_messages.h"
#include "image/image_layout.h"
#include "platform/format_text.h"
#include "platform/log_file.h"
#include "state/drive_text.h"
#include "state/run_mode.h"

namespace flindor {
namespace {

using Table = DriveEntry[kDriveTableSize];

// Two revisions name the same firmware: the model letters without regard to case, the version
// characters exactly.
bool sameRevision(const char* a, const char* b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return lower(a[0]) == lower(b[0]) && lower(a[1]) == lower(b[1]) && a[2] == b[2] && a[3] == b[3];
}

// The program links no C library: texts compared here.
bool sameText(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) ++a, ++b;
  return *a == *b;
}

int blockOf(const UpdateRecord& record) {
  int block = 0;
  for (const char* c = record.block; *c >= '0' && *c <= '9'; ++c) block = block * 10 + *c - '0';
  return block;
}

bool isModel(const DriveEntry& entry, const UpdateRecord& record) {
  return entry.present == 1 &&
         std::memcmp(entry.identification, record.drive, sizeof record.drive) == 0;
}

// The drive the record names, at its address; or, when none of that model is there, the one
// drive of that model found elsewhere.
const DriveEntry* judgedDrive(const UpdateRecord& record, const Table& table, std::uint8_t platform,
                              int models) {
  const DriveEntry* elsewhere = nullptr;
  for (const DriveEntry& entry : table) {
    if (!isModel(entry, record)) continue;
    char address[sizeof record.address] = {};
    driveAddress(entry, platform, address, sizeof address);
    if (std::memcmp(address, record.address, sizeof address) == 0) return &entry;
    elsewhere = &entry;
  }
  return models == 1 ? elsewhere : nullptr;
}

// Appends to `text`, cut to its room.
template <class... Values>
void append(Verdict& verdict, const char* format, Values... values) {
  const std::size_t used = strnlen(verdict.text, sizeof verdict.text);
  formatTextOf(verdict.text + used, sizeof verdict.text - used, format, values...);
}

}  // namespace

Verdict verdictOf(const UpdateRecord& record, const Table& table, std::uint8_t platform) {
  // Cleared, then set: an initializer with a nonzero field would keep a copy of the whole
  // record in the program's data.
  Verdict verdict{};
  verdict.keepRecord = true;
  const bool completed = sameText(record.state, kRecordCompleted);
  const int block = blockOf(record);
  char progress[40];
  formatTextOf(progress, sizeof progress,
               completed ? update_text::kDownloadCompleted : update_text::kDownloadStopped, block);
  if (record.drive[0] == '\0' || record.address[0] == '\0' || record.newRevision[0] == '\0') {
    verdict.keepRecord = false;
    append(verdict, update_text::kIncomplete, progress);
    return verdict;
  }
  char name[sizeof record.drive];
  driveName(record.drive, name, sizeof name);
  // Only a drive that took the final block can have programmed its flash.
  const bool programmed =
      completed || (block >= kFinalBlock && !sameText(record.final, kFinalRefused));

  int models = 0;
  bool allNew = true;
  for (const DriveEntry& entry : table) {
    if (!isModel(entry, record)) continue;
    ++models;
    allNew = allNew && sameRevision(entry.revision, record.newRevision);
  }
  const DriveEntry* drive = judgedDrive(record, table, platform, models);
  char address[sizeof record.address];
  std::memcpy(address, record.address, sizeof address);
  if (drive != nullptr) {
    driveAddress(*drive, platform, address, sizeof address);
    if (!sameText(address, record.address)) {
      append(verdict, update_text::kMoved, name, record.address, address);
    }
  }

  if (programmed && models > 1 && !allNew) {
    // Which of them was updated is not sure: each says what it reports.
    char reports[160] = {};
    for (const DriveEntry& entry : table) {
      if (!isModel(entry, record)) continue;
      char where[sizeof record.address];
      driveAddress(entry, platform, where, sizeof where);
      const std::size_t used = strnlen(reports, sizeof reports);
      formatTextOf(reports + used, sizeof reports - used, used == 0 ? "%s" : ", %s", where);
      const std::size_t more = strnlen(reports, sizeof reports);
      formatTextOf(reports + more, sizeof reports - more, " reports %s", entry.revision);
    }
    verdict.text[0] = '\0';
    append(verdict, update_text::kSeveral, name, record.address, record.oldRevision,
           record.newRevision, progress, record.newRevision, reports);
  } else if (drive == nullptr) {
    append(verdict, update_text::kMissing, name, record.address, record.oldRevision,
           record.newRevision, progress);
  } else if (!programmed) {
    // Nothing reached the flash: the drive runs its firmware as before, and answers.
    verdict.keepRecord = false;
    append(verdict, update_text::kNotProgrammed, name, address, progress, drive->revision);
  } else if (sameRevision(record.oldRevision, record.newRevision)) {
    // Nothing better will come: told once.
    verdict.keepRecord = false;
    append(verdict, update_text::kCannotTell, name, address, drive->revision, progress);
  } else if (sameRevision(drive->revision, record.newRevision)) {
    verdict.complete = true;
    verdict.keepRecord = false;
    append(verdict, update_text::kComplete, drive->revision);
  } else if (sameRevision(drive->revision, record.oldRevision)) {
    append(verdict, update_text::kNotTaken, name, address, drive->revision, record.newRevision,
           progress, drive->revision);
  } else {
    append(verdict, update_text::kOtherRevision, name, address, drive->revision, record.oldRevision,
           record.newRevision, progress, drive->revision);
  }
  return verdict;
}

bool giveUpdateVerdict() {
  AppState& s = appState;
  UpdateRecord record;
  if (s.verdictGiven != 0) return false;
  s.verdictGiven = 1;
  if (!readRecord(record)) {
    if (unattended()) logLine("update check: no record of an update");
    return false;
  }
  const Verdict verdict = verdictOf(record, s.driveTable, s.platformKind);
  const bool cleared = !verdict.keepRecord && clearRecord();
  logLine("update check: %s (record %s)", verdict.text, cleared ? "cleared" : "kept");
  if (unattended()) {
    // For deployment tools, beside the exit code: what the box would have said.
    ports().system->writeMachineValue(kRecordKey, kVerdictValue, verdict.text);
    return verdict.complete;
  }
  WindowHandle owner = s.driveSelected != 0 ? s.mainWindow : nullptr;
  ports().ui->messageBox(owner, verdict.text,
                         verdict.complete ? update_text::kSuccess : update_text::kWarning,
                         verdict.complete ? kIconInformation : kIconExclamation);
  return verdict.complete;
}

}  // namespace flindor
