#include "download/confirmation.h"

#include "download/update_journal.h"
#include "state/app_state.h"

namespace flindor {

void askForConfirmation() {
  AppState& s = appState;
  UserInterface& ui = *ports().ui;
  ui.showDialog(kConfirmDialogTemplate, s.mainWindow);
  if (s.downloadConfirmed == 1) journalConfirmed();
}

}  // namespace flindor
