#include "download/download_sequencer.h"

#include "download/confirmation.h"
#include "download/download_messages.h"
#include "download/run_guard.h"
#include "download/update_journal.h"
#include "image/image_commands.h"
#include "image/image_layout.h"
#include "image/image_messages.h"
#include "platform/log_file.h"
#include "platform/ports.h"
#include "platform/private_commands.h"
#include "scsi/aspi_transport.h"
#include "scsi/pass_through_transport.h"
#include "state/app_state.h"

namespace flindor {
namespace {

// What waits for the answer to the close question.
enum class ParkedStep : std::uint8_t { None, NextStep, Failure };

void startProgressDisplay() {
  AppState& s = appState;
  s.finalBlockBusy = 1;
  s.finalBlockStartMs = ports().clock->milliseconds();
  ports().ui->setTimer(s.controlPanel, kProgressTimer, kProgressTimerPeriodMs);
  s.progressMode = 1;
}

// The drive refused the final block or never saw it: back to Stopped at 63, so that a later
// Download shows the caution again and sends the block once more.
void stopProgressDisplay() {
  AppState& s = appState;
  ports().ui->killTimer(s.controlPanel, kProgressTimer);
  s.finalBlockBusy = 0;
  s.progressMode = 0;
}

void enableShutdownPrivilege() {
  System& system = *ports().system;
  ObjectHandle token = kInvalidHandle;
  if (!system.openProcessToken(token)) return;
  std::uint64_t luid = 0;
  if (system.lookupShutdownPrivilege(luid)) {
    system.enablePrivilege(token, luid);
    if (system.lastError() != 0) system.enablePrivilege(token, luid);
  }
  system.closeHandle(token);
}

bool targetIsSupportedDrive() {
  const DriveEntry* target = targetDrive();
  if (target != nullptr && isSupportedDrive(*target)) return true;
  ports().ui->messageBox(appState.mainWindow, download_text::kNotZibDrive, download_text::kWarning,
                         kIconError);
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
  ports().ui->messageBox(appState.mainWindow, text, image_text::kWarning, kIconError);
  return false;
}

// The block never went to the drive: the run stops at it, and the session may end again.
void stopBeforeSending() {
  journalNotSent();
  appState.blockInFlight = 0;
  releaseSession();
}

bool refusedBySystem(std::uint32_t error) {
  for (const std::uint32_t refusal : kSystemRefusals) {
    if (error == refusal) return true;
  }
  return false;
}

// While the user is asked whether to close, `step` waits for the answer. GUI thread.
bool parkedWhileAsking(ParkedStep step) {
  if (appState.closeQuestionOpen == 0) return false;
  appState.parkedStep = static_cast<std::uint8_t>(step);
  return true;
}

// The next Download, sent to the main window; from the ASPI completion thread a synchronous send
// runs it on the GUI thread.
void chainNextStep() {
  UserInterface& ui = *ports().ui;
  ui.sendCommand(ui.parentOf(appState.controlPanel), kCommandDownload, appState.nextBlock);
}

// What the user is told of a failed block. GUI thread.
void reportBlockFailure() {
  if (parkedWhileAsking(ParkedStep::Failure)) return;
  UserInterface& ui = *ports().ui;
  if (appState.platformKind == 1) {
    showPassThroughFailure();
    ui.messageBox(nullptr, download_text::kWriteFailed, download_text::kWarning, kIconWarning);
  } else {
    ui.messageBox(appState.controlPanel, download_text::kAspiError, download_text::kWarning,
                  kIconExclamation);
  }
}

// The wait for an unknown final outcome is over: a final block counted as done goes on to the
// completion; a failed one lets the system stop and the window close again.
void endProgrammingWait() {
  AppState& s = appState;
  s.finalOutcomeUnknown = 0;
  if (s.nextBlock > kFinalBlock) {
    chainNextStep();
    return;
  }
  ports().ui->killTimer(s.controlPanel, kProgressTimer);
  releaseSession();
}

// The final block's outcome is unknown: the drive may still be programming its flash, and must
// not lose its power. Until the allowance from the final block's start has passed, shutdown and
// sleep stay refused and closing asks.
void waitOutProgramming() {
  appState.finalOutcomeUnknown = 1;
  programmingTick();
}

// A block the drive completed. On the GUI thread, or (ASPI) on the completion thread.
void blockDone() {
  AppState& s = appState;
  const std::uint8_t block = s.nextBlock;
  if (block > kFinalBlock) {
    s.blockInFlight = 0;
    return;
  }
  // nextBlock moves on before the guard opens, so no Download in between can resend a block.
  s.nextBlock = static_cast<std::uint8_t>(block + 1);
  s.blockInFlight = 0;
  chainNextStep();
}

// A block's outcome has arrived: no block is out any more. False once closing has begun: a late
// outcome then moves nothing on and shows nothing.
bool outcomeMovesOn() {
  AppState& s = appState;
  s.blockOutstanding = 0;
  if (s.closing == 0) return true;
  s.blockInFlight = 0;
  return false;
}

// The ASPI manager has ended a DownloadCommand, on its own thread (or on the GUI thread when it
// did not take the request).
void aspiBlockFinished(bool completed) {
  AppState& s = appState;
  if (!outcomeMovesOn()) return;
  if (completed) {
    blockDone();
    return;
  }
  // blockInFlight stays set until the GUI thread has taken the stop, so no Download resends the
  // block before the hold and the timer are settled.
  sendPrivateCommand(s.mainWindow, kCommandDownloadStopped, expectCommand(kCommandDownloadStopped));
}

// On the GUI thread, from the worker's hand-off.
void passThroughBlockFinished(PassThroughOutcome outcome) {
  AppState& s = appState;
  if (!outcomeMovesOn()) return;
  const bool final = s.nextBlock == kFinalBlock;
  // The drive may leave the bus or time out while it programs its flash: a final block whose
  // call failed counts as done, unless the host refused the request before the drive got it.
  // Its completion waits until the drive has had its time to program.
  const bool doneUnanswered =
      final && outcome.failure == PassThroughFailure::CallFailed && !refusedBySystem(outcome.error);
  journalPassThroughOutcome(outcome, outcome.failure == PassThroughFailure::None || doneUnanswered);
  if (outcome.failure == PassThroughFailure::None) {
    blockDone();
    return;
  }
  if (doneUnanswered) {
    s.nextBlock = kBlockCount;
    s.blockInFlight = 0;
    waitOutProgramming();
    return;
  }
  if (final) stopProgressDisplay();
  s.blockInFlight = 0;
  releaseSession();
  reportBlockFailure();
}

}  // namespace

void installDownloadSequencer() {
  setDownloadResultHandler(aspiBlockFinished);
  setPassThroughResultHandler(passThroughBlockFinished);
}

void downloadStep() {
  AppState& s = appState;
  UserInterface& ui = *ports().ui;
  // Once closing has begun nothing more goes to the drive, whatever box is still open.
  if (s.closing != 0) return;
  // The user is asked whether to close: the run goes on only after No.
  if (parkedWhileAsking(ParkedStep::NextStep)) return;
  if (s.imageOpen == 0) {
    ui.beep();
    ui.messageBox(s.mainWindow, download_text::kNotOpen, download_text::kWarning, kIconError);
    return;
  }
  if (s.driveCount == 0) return;
  selectDefaultDrive();
  if (!targetIsSupportedDrive()) return;
  if (s.downloadConfirmed == 0) askForConfirmation();
  if (s.downloadConfirmed != 1) return;
  // The drive may still be programming: the completion waits for the end of its allowance.
  if (s.finalOutcomeUnknown != 0) return;
  if (s.nextBlock >= kBlockCount) {
    finishDownload();
    return;
  }
  if (s.finalBlockBusy != 0) return;
  // A block already framed or outstanding owns blockBuffer: a second Download waits for it.
  Flag idle = 0;
  if (!s.blockInFlight.compare_exchange_strong(idle, 1)) return;
  if ((s.nextBlock != 0 || imageStillAccepted()) && loadBlock()) {
    sendBlock();
  } else {
    stopBeforeSending();
  }
}

void sendBlock() {
  AppState& s = appState;
  const std::uint8_t block = s.nextBlock;
  if (block > kFinalBlock) return;
  holdSession();
  if (s.platformKind == 1) {
    if (block == kFinalBlock) {
      ports().ui->messageBox(nullptr, download_text::kCaution, download_text::kWarning,
                             kIconWarning);
      // The box has no owner: the window may have been closed while it was open.
      if (s.closing != 0) {
        stopBeforeSending();
        return;
      }
      startProgressDisplay();
    }
    s.blockOutstanding = 1;
    journalBlockGoing(block);
    passThroughDownloadCommand(s.ntDriveIndex, block);
    return;
  }
  s.blockOutstanding = 1;
  journalBlockGoing(block);
  if (aspiDownloadCommand() && block == kFinalBlock) startProgressDisplay();
}

void downloadStopped() {
  AppState& s = appState;
  if (s.blockInFlight == 0) return;
  journalAspiStopped();
  s.blockInFlight = 0;
  if (s.closing != 0) return;
  if (s.nextBlock == kFinalBlock && s.finalBlockBusy != 0) {
    // The manager took the final block and it failed: the drive may have it and be programming.
    waitOutProgramming();
  } else {
    releaseSession();
  }
  reportBlockFailure();
}

void programmingTick() {
  if (appState.finalOutcomeUnknown == 0) return;
  if (ports().clock->milliseconds() - appState.finalBlockStartMs >= kProgrammingAllowanceMs) {
    endProgrammingWait();
  }
}

void resumeParkedRun() {
  AppState& s = appState;
  const auto step = static_cast<ParkedStep>(s.parkedStep);
  s.parkedStep = static_cast<std::uint8_t>(ParkedStep::None);
  if (step == ParkedStep::NextStep) downloadStep();
  if (step == ParkedStep::Failure) reportBlockFailure();
}

void finishDownload() {
  AppState& s = appState;
  UserInterface& ui = *ports().ui;
  // A Download given between the last block and its chaining message, or any later one, finds
  // the completion under way: one message and one reboot request per run.
  if (s.completionStarted != 0) return;
  s.completionStarted = 1;
  // The drive has answered: the program's own reboot must not be held up.
  releaseSession();
  s.progressStep = kProgressFull;
  ui.sendTimerTick(s.controlPanel);
  ui.killTimer(s.controlPanel, kProgressTimer);
  journalCompleted();
  ui.beep();
  ui.messageBox(s.mainWindow, download_text::kComplete, download_text::kSuccess, kIconInformation);
  enableShutdownPrivilege();
  journalRebootRequested();
  for (int attempt = 0; attempt < kRebootAttempts; ++attempt) {
    if (ports().system->exitWindows(kRebootFlags, 0)) break;
  }
  ui.postQuit(0);
}

}  // namespace flindor
