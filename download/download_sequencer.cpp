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

void startProgressDisplay() {
  AppState& s = appState;
  s.finalBlockBusy = 1;
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

// Nothing has reached the drive yet, so a file that no longer passes Open's checks ends the
// commitment: the user may open another image (and Exit, Open and About work again).
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

// On the GUI thread, from the worker's hand-off.
void passThroughBlockFinished(PassThroughOutcome outcome) {
  const bool final = appState.nextBlock == kFinalBlock;
  bool done = outcome.failure == PassThroughFailure::None;
  // The drive may leave the bus or time out while it programs its flash: a final block whose
  // call failed counts as done, unless the system refused the request before the drive got it.
  if (final && outcome.failure == PassThroughFailure::CallFailed &&
      !refusedBySystem(outcome.error)) {
    done = true;
  }
  if (final && !done) stopProgressDisplay();
  journalPassThroughOutcome(outcome, done);
  blockFinished(done);
}

}  // namespace

void installDownloadSequencer() {
  setDownloadResultHandler(blockFinished);
  setPassThroughResultHandler(passThroughBlockFinished);
}

void downloadStep() {
  AppState& s = appState;
  UserInterface& ui = *ports().ui;
  // Once closing has begun nothing more goes to the drive, whatever box is still open.
  if (s.closing != 0) return;
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

void blockFinished(bool succeeded) {
  AppState& s = appState;
  const std::uint8_t block = s.nextBlock;
  s.blockOutstanding = 0;
  // The window is closing or gone: a late outcome moves nothing on and shows nothing.
  if (s.closing != 0) {
    s.blockInFlight = 0;
    return;
  }
  UserInterface& ui = *ports().ui;
  if (!succeeded) {
    s.blockInFlight = 0;
    if (s.platformKind == 1) {
      releaseSession();
      ui.messageBox(nullptr, download_text::kWriteFailed, download_text::kWarning, kIconWarning);
    } else {
      // This may run on the ASPI manager's thread: the timer and the session hold belong to the
      // GUI thread.
      sendPrivateCommand(s.mainWindow, kCommandDownloadStopped,
                         expectCommand(kCommandDownloadStopped));
      ui.messageBox(s.controlPanel, download_text::kAspiError, download_text::kWarning,
                    kIconExclamation);
    }
    return;
  }
  if (block > kFinalBlock) {
    s.blockInFlight = 0;
    return;
  }
  // nextBlock moves on before the guard opens, so no Download in between can resend a block.
  s.nextBlock = static_cast<std::uint8_t>(block + 1);
  s.blockInFlight = 0;
  ui.sendCommand(ui.parentOf(s.controlPanel), kCommandDownload, block + 1);
}

void downloadStopped() {
  journalAspiStopped();
  if (appState.nextBlock == kFinalBlock) {
    ports().ui->killTimer(appState.controlPanel, kProgressTimer);
  }
  releaseSession();
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
