#include "download/update_journal.h"

#include <cstring>

#include "download/update_record.h"
#include "image/image_layout.h"
#include "platform/format_text.h"
#include "platform/log_file.h"
#include "scsi/block_answer.h"
#include "state/app_state.h"
#include "state/drive_text.h"

namespace flindor {
namespace {

constexpr std::uint32_t kPathCapacity = 260;

void noteRecordWritten(bool written) {
  if (written || appState.recordWriteFailed != 0) return;
  appState.recordWriteFailed = 1;
  logLine("the update record could not be written to HKEY_LOCAL_MACHINE\\%s", kRecordKey);
}

// The blocks that went out since the confirmation or the last stop, through `last`, in one line:
// written where that stretch ends, after the line that says why.
void logBlocksAccepted(int last) {
  const AppState& s = appState;
  if (s.blocksGoing == 0 || last < s.firstBlockGoing) return;
  logLine("blocks %d to %d accepted", s.firstBlockGoing, last);
}

void endBlocksGoing() {
  logBlocksAccepted(appState.nextBlock - 1);
  appState.blocksGoing = 0;
}

// The sense bytes of the last answer, as hexadecimal pairs.
constexpr std::uint32_t kSenseTextSize = 3 * kAnswerSenseBytes + 1;
void senseText(char (&text)[kSenseTextSize]) {
  for (std::uint32_t i = 0; i < kAnswerSenseBytes; ++i) {
    formatTextOf(text + 3 * i, 4, "%02X ", lastBlockAnswer.sense[i]);
  }
  text[3 * kAnswerSenseBytes - 1] = '\0';
}

}  // namespace

void journalStart() {
  const AppState& s = appState;
  char product[kTextFieldSize + 1] = {};
  std::memcpy(product, s.productName, strnlen(s.productName, kTextFieldSize));
  startLog("FLINDOR %s started: %s platform, %s", kProgramVersion,
           s.platformKind == 1 ? "pass-through" : "ASPI", product);
}

void journalConfirmed() {
  AppState& s = appState;
  const DriveEntry* target = targetDrive();
  if (target == nullptr) return;
  s.blocksGoing = 0;
  const UpdateRecord record = recordOf(*target);
  char name[sizeof record.drive];
  driveName(record.drive, name, sizeof name);
  logLine("download confirmed: %s at %s from %s to %s, image %s (file CRC-32/MPEG-2 %s)", name,
          record.address, record.oldRevision, record.newRevision, record.image, record.imageCrc);
  noteRecordWritten(writeRecord(record));
}

void journalBlockGoing(std::uint8_t block) {
  AppState& s = appState;
  if (s.blocksGoing == 0) {
    s.blocksGoing = 1;
    s.firstBlockGoing = block;
    if (block != 0) logLine("resumed at block %d", block);
  }
  if (block == kFinalBlock) {
    logBlocksAccepted(kFinalBlock - 1);
    s.firstBlockGoing = kFinalBlock;  // said: a stop now adds no line of blocks accepted
    logLine("final block %d sent; the drive programs its flash", block);
  }
  noteRecordWritten(writeRecordBlock(block));
}

void journalPassThroughOutcome(PassThroughOutcome outcome, bool done) {
  const int block = appState.nextBlock;
  if (outcome.failure == PassThroughFailure::None) {
    if (block == kFinalBlock) logLine("block %d answered", block);
    return;
  }
  if (outcome.failure == PassThroughFailure::NotStarted) {
    logLine("block %d not sent: no thread could be started", block);
  } else if (outcome.failure == PassThroughFailure::VolumeNotOpened) {
    logLine("block %d not sent: the volume could not be opened", block);
  } else {
    char sense[kSenseTextSize];
    senseText(sense);
    logLine("block %d failed: error %u, SCSI status 0x%02X, sense %s%s", block,
            lastBlockAnswer.error, lastBlockAnswer.status, sense,
            done ? "; counted as done, as the drive may leave the bus while it programs" : "");
  }
  if (!done) endBlocksGoing();
}

void journalAspiStopped() {
  const BlockAnswer& a = lastBlockAnswer;
  const int block = appState.nextBlock;
  logLine(
      "block %d failed: ASPI status 0x%02X, host status 0x%02X, target status 0x%02X, "
      "sense key 0x%X, ASC 0x%02X, ASCQ 0x%02X%s",
      block, a.status, a.hostStatus, a.targetStatus, a.sense[2] & 0x0F, a.sense[12], a.sense[13],
      block == kFinalBlock ? "; whether the drive programmed its flash is unknown" : "");
  endBlocksGoing();
}

void journalNotSent() { endBlocksGoing(); }

void journalCompleted() {
  AppState& s = appState;
  if (s.platformKind == 0) logLine("block %d answered", kFinalBlock);
  s.blocksGoing = 0;
  noteRecordWritten(writeRecordState(kRecordCompleted) && writeRecordBlock(kBlockCount));
  // Started once more after the restart, the program tells the user whether the update took.
  System& system = *ports().system;
  char program[kPathCapacity];
  char command[kPathCapacity + 2];
  bool entered = system.programPath(program, sizeof program);
  if (entered) {
    formatTextOf(command, sizeof command, "\"%s\"", program);
    entered = system.writeMachineValue(kRunOnceKey, kRunOnceValue, command);
  }
  logLine("update complete; %s", entered
                                     ? "FLINDOR starts again after the restart to check the drive"
                                     : "the RunOnce entry could not be written");
}

void journalRebootRequested() { logLine("restart of the PC requested"); }

void journalClosedDuringRun() {
  const AppState& s = appState;
  if (s.downloadConfirmed == 0 || s.completionStarted != 0) return;
  logLine("closed during the download, at block %d", static_cast<int>(s.nextBlock));
  endBlocksGoing();
}

}  // namespace flindor
