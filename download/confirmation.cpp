#include "download/confirmation.h"

#include "download/update_messages.h"
#include "platform/log_file.h"
#include "state/app_state.h"
#include "state/command_ids.h"

namespace flindor {

void askForConfirmation() {
  AppState& s = appState;
  UserInterface& ui = *ports().ui;
  if (ports().system->powerSource() == PowerSource::Battery) {
    const bool anyway = ui.ask(s.mainWindow, update_text::kOnBattery, update_text::kWarning,
                               kIconWarning | kButtonsYesNo | kDefaultButton2);
    logLine("the PC runs on battery power: %s", anyway ? "the user goes on" : "the user stops");
    if (!anyway) return;
  }
  ui.showDialog(kConfirmDialogTemplate, s.mainWindow);
}

}  // namespace flindor
