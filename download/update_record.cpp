#include "download/update_record.h"

#include <cstddef>
#include <cstring>

#include "image/image_layout.h"
#include "platform/format_text.h"
#include "platform/log_file.h"
#include "state/drive_text.h"
#include "state/run_mode.h"

namespace flindor {
namespace {

constexpr std::uint32_t kProgramPathCapacity = 260;

struct Field {
  const char* name;
  std::size_t offset;
  std::uint32_t size;
};
#define FLINDOR_FIELD(name, member) \
  { name, offsetof(UpdateRecord, member), sizeof(UpdateRecord::member) }
// In the order a new record is written: the state and the block first.
constexpr Field kFields[] = {
    FLINDOR_FIELD("State", state),
    FLINDOR_FIELD("Block", block),
    FLINDOR_FIELD("Drive", drive),
    FLINDOR_FIELD("Address", address),
    FLINDOR_FIELD("OldRevision", oldRevision),
    FLINDOR_FIELD("NewRevision", newRevision),
    FLINDOR_FIELD("Image", image),
    FLINDOR_FIELD("ImageCrc", imageCrc),
    FLINDOR_FIELD("Final", final),
};
#undef FLINDOR_FIELD
constexpr const Field& kState = kFields[0];
constexpr const Field& kBlock = kFields[1];
constexpr const Field& kFinal = kFields[8];

char* at(UpdateRecord& record, const Field& field) {
  return reinterpret_cast<char*>(&record) + field.offset;
}
const char* at(const UpdateRecord& record, const Field& field) {
  return reinterpret_cast<const char*>(&record) + field.offset;
}

bool write(const Field& field, const char* text) {
  return ports().system->writeMachineValue(kRecordKey, field.name, text);
}

void noteWritten(bool written) {
  if (written || appState.recordWriteFailed != 0) return;
  appState.recordWriteFailed = 1;
  logLine("the update record could not be written to HKEY_LOCAL_MACHINE\\%s", kRecordKey);
}

}  // namespace

UpdateRecord recordOf(const DriveEntry& drive) {
  const AppState& s = appState;
  UpdateRecord record{};
  std::memcpy(record.drive, drive.identification, sizeof record.drive);
  driveAddress(drive, s.platformKind, record.address, sizeof record.address);
  std::memcpy(record.oldRevision, drive.revision, sizeof record.oldRevision);
  // The version shown as the new one, which carries the drive's own model letter.
  std::memcpy(record.newRevision, s.imageHeader, sizeof record.newRevision - 1);
  std::memcpy(record.image, s.imageName, sizeof record.image);
  formatTextOf(record.imageCrc, sizeof record.imageCrc, "%08X", s.frozenImage.fileCrc);
  std::memcpy(record.state, kRecordStarted, sizeof kRecordStarted);
  std::memcpy(record.block, "0", 2);
  return record;
}

bool writeRecord(const UpdateRecord& record) {
  bool written = true;
  for (const Field& field : kFields) {
    // An empty final outcome is not written: it is not known yet.
    if (&field == &kFinal && record.final[0] == '\0') continue;
    written = write(field, at(record, field)) && written;
  }
  return written;
}

bool writeRecordState(const char* state) { return write(kState, state); }

bool writeRecordFinal(const char* final) { return write(kFinal, final); }

bool writeRecordBlock(std::uint8_t block) {
  char text[sizeof(UpdateRecord::block)];
  formatTextOf(text, sizeof text, "%u", block);
  return write(kBlock, text);
}

bool readRecord(UpdateRecord& record) {
  record = {};
  for (const Field& field : kFields) {
    std::uint32_t size = field.size;
    char* text = at(record, field);
    // Read-only access is enough, and all a restricted account is granted.
    if (ports().system->readMachineValue(kRecordKey, field.name, text, size,
                                         RegistryAccess::Read) != RegistryRead::Read) {
      text[0] = '\0';
    }
    // A value of another length or without its zero still ends inside the field.
    text[field.size - 1] = '\0';
  }
  return record.state[0] != '\0';
}

bool clearRecord() { return ports().system->deleteMachineKey(kRecordKey); }

void recordConfirmed(const UpdateRecord& record) {
  const bool cleared = clearRecord();
  const bool begun = writeRecordState(kRecordStarted) && writeRecordBlock(0);
  // Over an earlier record that could not be cleared, the rest would name this run's drive
  // beside that run's state: nothing more is written.
  if (!begun && !cleared) {
    noteWritten(false);
    return;
  }
  noteWritten(writeRecord(record) && begun);
}

void recordBlockGoing(std::uint8_t block) {
  noteWritten(writeRecordBlock(block) && (block != kFinalBlock || writeRecordFinal(kFinalSent)));
}

void recordFinalOutcome(const char* final) { noteWritten(writeRecordFinal(final)); }

bool recordCompleted() {
  noteWritten(writeRecordState(kRecordCompleted) && writeRecordBlock(kBlockCount));
  // Started once more after the restart, the program tells the user whether the update took.
  System& system = *ports().system;
  // Without a person, it checks without one too, into the same log.
  char program[kProgramPathCapacity];
  char command[kRunOnceCommandCapacity];
  if (!system.programPath(program, sizeof program)) return false;
  const RunMode& mode = runMode;
  formatTextOf(command, sizeof command,
               !unattended()             ? "\"%s\""
               : mode.logPath[0] == '\0' ? "\"%s\" /verdict"
                                         : "\"%s\" /verdict /log \"%s\"",
               program, mode.logPath);
  return system.writeMachineValue(kRunOnceKey, kRunOnceValue, command);
}

}  // namespace flindor
