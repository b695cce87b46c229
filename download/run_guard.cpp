#include "download/run_guard.h"

#include "download/download_messages.h"
#include "download/download_sequencer.h"
#include "download/phase_change.h"
#include "download/run_log.h"
#include "state/app_state.h"

namespace flindor {

bool closeAsksFirst() { return closeAsksFirst(appState.runPhase); }

bool mainWindowMayClose() {
  AppState& s = appState;
  // One question at a time: a close given while it is open waits for its answer.
  if (s.closeQuestionOpen != 0) return false;
  if (closeAsksFirst()) {
    // The box pumps messages: the run parks until the answer.
    s.closeQuestionOpen = 1;
    const bool yes =
        ports().ui->ask(s.mainWindow, download_text::kCloseQuestion, download_text::kWarning,
                        kIconWarning | kButtonsYesNo | kDefaultButton2);
    s.closeQuestionOpen = 0;
    if (!yes) {
      continueRun();
      return false;
    }
  }
  beginClosing();
  return true;
}

void beginClosing() {
  if (appState.runPhase == RunPhase::Closing) return;
  logClosedDuringRun();
  enterPhase(RunPhase::Closing);
}

bool systemMayStop() { return systemMayStop(appState.runPhase); }

bool cancelsAutoPlay() { return cancelsAutoPlay(appState.runPhase); }

}  // namespace flindor
