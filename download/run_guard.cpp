#include "download/run_guard.h"

#include "download/download_messages.h"
#include "download/download_sequencer.h"
#include "state/app_state.h"

namespace flindor {

void holdSession() {
  AppState& s = appState;
  if (s.downloadActive != 0) return;
  s.downloadActive = 1;
  ports().session->hold(s.mainWindow, download_text::kHoldReason);
}

void releaseSession() {
  AppState& s = appState;
  if (s.downloadActive == 0) return;
  s.downloadActive = 0;
  ports().session->release(s.mainWindow);
}

bool closeAsksFirst() {
  return appState.blockOutstanding != 0 || appState.finalOutcomeUnknown != 0;
}

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
      resumeParkedRun();
      return false;
    }
  }
  s.closing = 1;
  return true;
}

bool systemMayStop() { return appState.downloadActive == 0; }

}  // namespace flindor
