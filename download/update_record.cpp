#include "download/update_record.h"

#include <cstddef>
#include <cstring>

#include "image/image_layout.h"
#include "platform/format_text.h"
#include "platform/log_file.h"
#include "state/drive_text.h"

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
constexpr Field kFields[] = {
    FLINDOR_FIELD("Drive", drive),
    FLINDOR_FIELD("Address", address),
    FLINDOR_FIELD("OldRevision", oldRevision),
    FLINDOR_FIELD("NewRevision", newRevision),
    FLINDOR_FIELD("Image", image),
    FLINDOR_FIELD("ImageCrc", imageCrc),
    FLINDOR_FIELD("State", state),
    FLINDOR_FIELD("Block", block),
};
#undef FLINDOR_FIELD
constexpr const Field& kState = kFields[6];
constexpr const Field& kBlock = kFields[7];

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
  driveAddress(drive, record.address, sizeof record.address);
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
    written = write(field, at(record, field)) && written;
  }
  return written;
}

bool writeRecordState(const char* state) { return write(kState, state); }

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
    if (ports().system->readMachineValue(kRecordKey, field.name, text, size) !=
        RegistryRead::Read) {
      text[0] = '\0';
    }
    // A value of another length or without its zero still ends inside the field.
    text[field.size - 1] = '\0';
  }
  return record.state[0] != '\0';
}

bool clearRecord() { return ports().system->deleteMachineKey(kRecordKey); }

void recordConfirmed(const UpdateRecord& record) { noteWritten(writeRecord(record)); }

void recordBlockGoing(std::uint8_t block) { noteWritten(writeRecordBlock(block)); }

bool recordCompleted() {
  noteWritten(writeRecordState(kRecordCompleted) && writeRecordBlock(kBlockCount));
  // Started once more after the restart, the program tells the user whether the update took.
  System& system = *ports().system;
  char program[kProgramPathCapacity];
  char command[kProgramPathCapacity + 2];
  if (!system.programPath(program, sizeof program)) return false;
  formatTextOf(command, sizeof command, "\"%s\"", program);
  return system.writeMachineValue(kRunOnceKey, kRunOnceValue, command);
}

}  // namespace flindor
