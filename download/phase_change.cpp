#include "download/phase_change.h"

#include "download/back_end_policy.h"
#include "download/download_messages.h"
#include "download/download_sequencer.h"
#include "state/app_state.h"

namespace flindor {

void enterPhase(RunPhase next) {
  AppState& s = appState;
  const RunPhase was = s.runPhase;
  if (was == RunPhase::Closing) return;
  s.runPhase = next;
  if (holdsSession(next) != holdsSession(was)) {
    if (holdsSession(next)) {
      ports().session->hold(s.mainWindow, download_text::kHoldReason);
    } else {
      ports().session->release(s.mainWindow);
    }
  }
  // The run's end gives the drive back; closing while a block is out leaves that to the block's
  // late answer, as the back end may still be using what it holds.
  if (holdsDrive(was) && !holdsDrive(next) && !(next == RunPhase::Closing && awaitsAnswer(was))) {
    policyOf(s.platformKind).releaseDrive();
  }
  // Only Answered depends on nextBlock, which never changes while the run is in it.
  const bool runs = progressRuns(next, s.nextBlock);
  if (runs != progressRuns(was, s.nextBlock)) {
    if (runs) {
      ports().ui->setTimer(s.controlPanel, kProgressTimer, kProgressTimerPeriodMs);
    } else {
      ports().ui->killTimer(s.controlPanel, kProgressTimer);
    }
  }
}

}  // namespace flindor
