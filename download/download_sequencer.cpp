#include "download/download_sequencer.h"

#include "download/back_end_policy.h"
#include "download/completion.h"
#include "download/confirmation.h"
#include "download/download_messages.h"
#include "download/phase_change.h"
#include "download/run_log.h"
#include "download/run_result.h"
#include "download/update_record.h"
#include "image/image_commands.h"
#include "image/image_layout.h"
#include "image/image_messages.h"
#include "platform/format_text.h"
#include "platform/log_file.h"
#include "scsi/pass_through_transport.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "state/drive_text.h"

namespace flindor {
namespace {

bool confirmedFor(const DriveEntry& target);
void sendBlock(const DriveEntry& target);
void chainNextStep();
void tellFailure();

// Where the run's drive sits, for the log.
const char* targetAddress() {
  static char address[24];
  const DriveEntry* target = targetDrive();
  address[0] = '\0';
  if (target != nullptr) driveAddress(*target, appState.platformKind, address, sizeof address);
  return address;
}

// The checks before a step: an image is open, and the target is a drive this program may
// update. The drive, or nullptr when the user was told why not (or, with no drive at all, not).
const DriveEntry* checkedTarget() {
  AppState& s = appState;
  UserInterface& ui = *ports().ui;
  if (s.imageOpen == 0) {
    ui.beep();
    ui.messageBox(s.mainWindow, download_text::kNotOpen, download_text::kWarning, kIconError);
    return nullptr;
  }
  if (s.driveCount == 0) return nullptr;
  selectDefaultDrive();
  const DriveEntry* target = targetDrive();
  if (target != nullptr && isSupportedDrive(*target)) return target;
  ui.messageBox(s.mainWindow, download_text::kNotZibDrive, download_text::kWarning, kIconError);
  return nullptr;
}

}  // namespace

void downloadStep() {
  AppState& s = appState;
  // Nothing moves while the close question is open, once closing has begun, or while a block or
  // the drive's programming is under way.
  if (s.closeQuestionOpen != 0 || !downloadMayAct(s.runPhase)) return;
  const DriveEntry* target = checkedTarget();
  if (target == nullptr) return;
  if (s.runPhase == RunPhase::Idle && !confirmedFor(*target)) return;
  if (s.nextBlock >= kBlockCount) {
    finishDownload();
    return;
  }
  sendBlock(*target);
}

// ---- Sending ----

namespace {

// The questions before the download: the target and the image stay as they are while they are
// open, and are checked again after them, since the boxes pump messages that other programs may
// send.
bool confirmedFor(const DriveEntry& target) {
  AppState& s = appState;
  enterPhase(RunPhase::Confirming);
  askForConfirmation();
  // The window may have been closed meanwhile.
  if (s.runPhase != RunPhase::Confirming) return false;
  if (s.downloadConfirmed == 1 && checkedTarget() == &target) {
    // Written down before anything is sent.
    const UpdateRecord record = recordOf(target);
    logConfirmed(record);
    if (!policyOf(s.platformKind).keepsOthersAway) logNoDriveControls();
    recordConfirmed(record);
    enterPhase(RunPhase::Confirmed);
    return true;
  }
  s.downloadConfirmed = 0;
  enterPhase(RunPhase::Idle);
  return false;
}

// Nothing has reached the drive yet, so a file that is no longer the image Open accepted ends
// the commitment: the user may open another image (and Exit, Open and About work again).
bool imageStillAccepted() {
  const ImageRecheck result = recheckImage();
  if (result == ImageRecheck::Unchanged) return true;
  appState.downloadConfirmed = 0;
  closeImage(nullptr);
  const char* text =
      result == ImageRecheck::NotOpened ? image_text::kFailToOpen : image_text::kFailToRead;
  logLine("block 0 not sent: %s", text);
  enterPhase(RunPhase::Idle);
  ports().ui->messageBox(appState.mainWindow, text, image_text::kWarning, kIconError);
  endUnattendedRun(kExitImageRefused);
  return false;
}

// Block nextBlock into blockBuffer with its CRC: from the image exactly as the user confirmed it.
bool frameBlock() { return (appState.nextBlock != 0 || imageStillAccepted()) && loadBlock(); }

// The block goes to the drive: the run waits for its answer.
void handOver(const DriveEntry& target, const BackEndPolicy& backEnd) {
  AppState& s = appState;
  const std::uint8_t block = s.nextBlock;
  logBlockGoing(block);
  recordBlockGoing(block);
  // The drive's programming allowance runs from here, after what was written down on the way,
  // however long that took.
  if (block == kFinalBlock) {
    s.finalBlockBusy = 1;
    s.finalBlockStartMs = ports().clock->milliseconds();
    enterPhase(RunPhase::FinalBlockOut);  // the progress timer starts
    s.progressMode = 1;
  } else {
    enterPhase(RunPhase::BlockOut);
  }
  backEnd.send(target, block);
}

void sendBlock(const DriveEntry& target) {
  AppState& s = appState;
  enterPhase(RunPhase::Framing);
  if (!frameBlock()) {
    // The block never went to the drive: the run stops at it.
    if (s.runPhase != RunPhase::Framing) return;
    logNotSent();
    enterPhase(RunPhase::Stopped);
    endUnattendedRun(kExitStopped);
    return;
  }
  const BackEndPolicy& backEnd = policyOf(s.platformKind);
  if (s.nextBlock == kFinalBlock && backEnd.cautionBeforeFinalBlock) {
    enterPhase(RunPhase::CautionOpen);
    ports().ui->messageBox(nullptr, download_text::kCaution, download_text::kWarning, kIconWarning);
    // The box has no owner: the window may have been closed while it was open.
    if (!blockMayGo(s.runPhase)) return;
  }
  handOver(target, backEnd);
}

}  // namespace

// ---- Answers ----

namespace {

// What the record keeps of the final block's answer.
const char* finalOutcomeText(BlockOutcome outcome) {
  switch (outcome) {
    case BlockOutcome::Done:
      return kFinalAnswered;
    case BlockOutcome::Stopped:
      return kFinalRefused;
    default:
      return kFinalUnknown;
  }
}

}  // namespace

void blockAnswered(const BlockAnswer& answer) {
  AppState& s = appState;
  // A late answer, once closing has begun, moves nothing on and shows nothing; what the back end
  // holds of the drive, left to it, goes back now.
  if (s.runPhase == RunPhase::Closing) {
    policyOf(s.platformKind).releaseDrive();
    return;
  }
  if (!awaitsAnswer(s.runPhase) || answer.block != s.nextBlock) return;
  const BlockOutcome outcome = outcomeOf(policyOf(s.platformKind), answer);
  if (answer.controls.taken) logDriveControls(answer.controls, targetAddress());
  logAnswer(answer, outcome);
  if (answer.block == kFinalBlock) recordFinalOutcome(finalOutcomeText(outcome));
  switch (outcome) {
    case BlockOutcome::Done:
      s.nextBlock = static_cast<std::uint8_t>(answer.block + 1);
      enterPhase(RunPhase::Answered);
      break;
    case BlockOutcome::DoneUnanswered:
      s.nextBlock = kBlockCount;
      enterPhase(RunPhase::ProgrammingUnknown);
      break;
    case BlockOutcome::Unknown:
      enterPhase(RunPhase::OutcomeUntold);
      break;
    case BlockOutcome::Stopped:
      // Back to Stopped at the final block too: a later Download shows the caution again and
      // sends the block once more.
      if (answer.block == kFinalBlock) s.finalBlockBusy = s.progressMode = 0;
      enterPhase(RunPhase::Failed);
      break;
  }
  continueRun();
}

void continueRun() {
  AppState& s = appState;
  if (s.closeQuestionOpen != 0) return;
  switch (s.runPhase) {
    case RunPhase::Answered:
      chainNextStep();
      break;
    case RunPhase::Failed:
      // Another program held the drive before the first block: the run never began.
      if (blockAnswer.notSent == NotSentReason::HeldByAnotherProgram && s.nextBlock == 0) {
        s.downloadConfirmed = 0;
        enterPhase(RunPhase::Idle);
      } else {
        enterPhase(RunPhase::Stopped);
      }
      tellFailure();
      endUnattendedRun(blockAnswer.notSent == NotSentReason::HeldByAnotherProgram ? kExitHeld
                                                                                  : kExitStopped);
      break;
    case RunPhase::OutcomeUntold:
      // The drive may be programming its flash and must not lose its power: the guards stay up
      // until the allowance from the final block's start has passed.
      enterPhase(RunPhase::ProgrammingUnknown);
      programmingTick();
      tellFailure();
      break;
    case RunPhase::ProgrammingUnknown:
      programmingTick();
      break;
    default:
      break;
  }
}

// ---- The end of a run ----

void programmingTick() {
  AppState& s = appState;
  if (s.runPhase != RunPhase::ProgrammingUnknown) return;
  if (ports().clock->milliseconds() - s.finalBlockStartMs < kProgrammingAllowanceMs) return;
  // The wait is over: a final block counted as done goes on to the completion; a failed one
  // lets the system stop and the window close again, and nothing more goes.
  if (s.nextBlock > kFinalBlock) {
    enterPhase(RunPhase::Answered);
    continueRun();
  } else {
    enterPhase(RunPhase::FinalFailed);
    endUnattendedRun(kExitOutcomeUnknown);
  }
}

namespace {

// The next Download, sent to the main window.
void chainNextStep() {
  UserInterface& ui = *ports().ui;
  ui.sendCommand(ui.parentOf(appState.controlPanel), kCommandDownload, appState.nextBlock);
}

// The pass-through back end's own message of the failed block, where it has one.
void tellTransportDetail(const BlockAnswer& answer) {
  AppState& s = appState;
  const DriveEntry* target = targetDrive();
  if (answer.notSent == NotSentReason::VolumeNotOpened && target != nullptr) {
    char path[kVolumePathCapacity];
    volumePathOf(*target, path);
    formatTextOf(s.messageText, sizeof s.messageText, download_text::kOpenFailedFormat, path);
  } else if ((answer.kind == BlockAnswerKind::CallFailed ||
              answer.kind == BlockAnswerKind::RefusedByHost) &&
             answer.block != kFinalBlock) {
    formatTextOf(s.messageText, sizeof s.messageText, download_text::kWriteErrorFormat,
                 answer.block);
  } else {
    return;
  }
  ports().ui->messageBox(nullptr, s.messageText, download_text::kInfo, kIconExclamation);
}

// What the user is told of the failed block.
void tellFailure() {
  AppState& s = appState;
  if (blockAnswer.notSent == NotSentReason::HeldByAnotherProgram) {
    const char* holder = blockAnswer.controls.holder;
    char text[200];
    formatTextOf(text, sizeof text, download_text::kHeldBy,
                 holder[0] != '\0' ? holder : download_text::kSomeProgram);
    ports().ui->messageBox(s.mainWindow, text, download_text::kWarning, kIconError);
    return;
  }
  const FailureMessage& message = policyOf(appState.platformKind).failure;
  if (message.transportDetail) tellTransportDetail(blockAnswer);
  ports().ui->messageBox(message.ownedByPanel ? appState.controlPanel : nullptr, message.text,
                         download_text::kWarning, message.icon);
}

}  // namespace

}  // namespace flindor
