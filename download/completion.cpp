#include "download/completion.h"

#include "download/download_messages.h"
#include "download/download_sequencer.h"
#include "download/phase_change.h"
#include "download/run_log.h"
#include "download/run_result.h"
#include "download/update_record.h"
#include "state/app_state.h"

namespace flindor {
namespace {

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

}  // namespace

void finishDownload() {
  AppState& s = appState;
  UserInterface& ui = *ports().ui;
  // A Download given while the completion is under way finds another phase: one message and one
  // reboot request per run.
  if (s.runPhase != RunPhase::Answered) return;
  s.progressStep = kProgressFull;
  ui.sendTimerTick(s.controlPanel);
  // The drive has answered: the timer stops, and the program's own reboot must not be held up.
  enterPhase(RunPhase::Completing);
  logCompleted(recordCompleted());
  ui.beep();
  ui.messageBox(s.mainWindow, download_text::kComplete, download_text::kSuccess, kIconInformation);
  // Without a person, /noreboot leaves the restart to whoever started the update.
  if (runMode.noReboot) {
    runResult(kExitRestartNeeded);
    ui.postQuit(0);
    return;
  }
  enableShutdownPrivilege();
  logRebootRequested();
  // Said before the request: Windows may end the program while it restarts.
  runResult(kExitRestarting);
  bool requested = false;
  for (int attempt = 0; attempt < kRebootAttempts && !requested; ++attempt) {
    requested = ports().system->exitWindows(kRebootFlags, 0);
  }
  if (!requested) runResult(kExitRestartNeeded);
  ui.postQuit(0);
}

}  // namespace flindor
