#include "download/run_log.h"

#include <cstring>

#include "image/image_layout.h"
#include "platform/format_text.h"
#include "platform/log_file.h"
#include "scsi/drive_controls.h"
#include "state/app_state.h"
#include "state/drive_text.h"
#include "state/platform_kind.h"
#include "state/run_mode.h"

namespace flindor {
namespace {

// The blocks that went out since the confirmation or the last stop, through `last`, in one line:
// written where that stretch ends, after the line that says why.
void logBlocksAccepted(int last) {
  const AppState& s = appState;
  if (s.firstBlockGoing == kNoStretch || last < s.firstBlockGoing) return;
  logLine("blocks %d to %d accepted", s.firstBlockGoing, last);
}

void endStretch() {
  logBlocksAccepted(appState.nextBlock - 1);
  appState.firstBlockGoing = kNoStretch;
}

// The sense bytes of the answer, as hexadecimal pairs.
constexpr std::uint32_t kSenseTextSize = 3 * kAnswerSenseBytes + 1;
void senseText(const BlockAnswer& answer, char (&text)[kSenseTextSize]) {
  for (std::uint32_t i = 0; i < kAnswerSenseBytes; ++i) {
    formatTextOf(text + 3 * i, 4, "%02X ", answer.sense[i]);
  }
  text[3 * kAnswerSenseBytes - 1] = '\0';
}

const char* outcomeNote(BlockOutcome outcome) {
  if (outcome == BlockOutcome::DoneUnanswered) {
    return "; counted as done, as the drive may leave the bus while it programs";
  }
  if (outcome == BlockOutcome::Unknown)
    return "; whether the drive programmed its flash is unknown";
  return "";
}

void logPassThroughFailure(const BlockAnswer& a, BlockOutcome outcome) {
  if (a.notSent == NotSentReason::HeldByAnotherProgram) {
    logLine("block %d not sent: another program holds the drive", a.block);
  } else if (a.notSent == NotSentReason::NoThread) {
    logLine("block %d not sent: no thread could be started", a.block);
  } else if (a.notSent == NotSentReason::VolumeNotOpened) {
    logLine("block %d not sent: the volume could not be opened", a.block);
  } else {
    char sense[kSenseTextSize];
    senseText(a, sense);
    logLine("block %d failed: error %u, SCSI status 0x%02X, sense %s%s", a.block, a.error, a.status,
            sense, outcomeNote(outcome));
  }
}

void logAspiFailure(const BlockAnswer& a, BlockOutcome outcome) {
  logLine(
      "block %d failed: ASPI status 0x%02X, host status 0x%02X, target status 0x%02X, "
      "sense key 0x%X, ASC 0x%02X, ASCQ 0x%02X%s",
      a.block, a.status, a.hostStatus, a.targetStatus, a.sense[2] & 0x0F, a.sense[12], a.sense[13],
      outcomeNote(outcome));
}

}  // namespace

void logStart() {
  const AppState& s = appState;
  char product[kTextFieldSize + 1] = {};
  std::memcpy(product, s.productName, strnlen(s.productName, kTextFieldSize));
  chooseLogFile(runMode.logPath);
  startLog("FLINDOR %s started: %s platform, %s", kProgramVersion,
           s.platformKind == kPassThroughPlatform ? "pass-through" : "ASPI", product);
  if (unattended()) logLine("command line: %s", runMode.arguments);
}

void logConfirmed(const UpdateRecord& record) {
  appState.firstBlockGoing = kNoStretch;
  char name[sizeof record.drive];
  driveName(record.drive, name, sizeof name);
  logLine("download confirmed: %s at %s from %s to %s, image %s (file CRC-32/MPEG-2 %s)", name,
          record.address, record.oldRevision, record.newRevision, record.image, record.imageCrc);
}

void logNoDriveControls() {
  logLine(
      "the ASPI manager cannot keep other programs from the drive: close any that use it "
      "before the update");
}

void logDriveControls(const DriveControls& c, const char* address) {
  if (c.pollingError == 0) {
    logLine("media-change polling of %s off for the update", address);
  } else if (c.pollingError == kControlNotOpened) {
    logLine("media-change polling of %s not turned off: no handle for its attributes", address);
  } else {
    logLine(
        "media-change polling of %s not turned off: IOCTL_STORAGE_MCN_CONTROL failed with "
        "error %u",
        address, c.pollingError);
  }
  if (c.exclusiveError == 0) {
    logLine("exclusive access to %s taken for the update", address);
  } else if (c.exclusiveError == kErrorAccessDenied) {
    logLine("%s is held for exclusive access by %s", address,
            c.holder[0] != '\0' ? c.holder : "another program");
  } else {
    logLine(
        "exclusive access to %s not available: IOCTL_CDROM_EXCLUSIVE_ACCESS failed with "
        "error %u",
        address, c.exclusiveError);
  }
}

void logBlockGoing(std::uint8_t block) {
  AppState& s = appState;
  if (s.firstBlockGoing == kNoStretch) {
    s.firstBlockGoing = block;
    if (block != 0) logLine("resumed at block %d", block);
  }
  if (block == kFinalBlock) {
    logBlocksAccepted(kFinalBlock - 1);
    s.firstBlockGoing = kFinalBlock;  // said: a stop now adds no line of blocks accepted
    logLine("final block %d sent; the drive programs its flash", block);
  }
}

void logAnswer(const BlockAnswer& answer, BlockOutcome outcome) {
  if (answer.kind == BlockAnswerKind::Completed) {
    if (answer.block == kFinalBlock) logLine("block %d answered", answer.block);
    return;
  }
  if (appState.platformKind == kPassThroughPlatform) {
    logPassThroughFailure(answer, outcome);
  } else {
    logAspiFailure(answer, outcome);
  }
  if (outcome != BlockOutcome::DoneUnanswered) endStretch();
}

void logNotSent() { endStretch(); }

void logCompleted(bool restartEntered) {
  appState.firstBlockGoing = kNoStretch;
  logLine("update complete; %s", restartEntered
                                     ? "FLINDOR starts again after the restart to check the drive"
                                     : "the RunOnce entry could not be written");
}

void logRebootRequested() { logLine("restart of the PC requested"); }

void logClosedDuringRun() {
  const AppState& s = appState;
  if (s.downloadConfirmed == 0 || s.runPhase == RunPhase::Completing) return;
  logLine("closed during the download, at block %d", static_cast<int>(s.nextBlock));
  endStretch();
}

}  // namespace flindor
