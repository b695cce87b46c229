#include "shell/control_panel.h"

#include "download/download_sequencer.h"
#include "image/image_commands.h"
#include "shell/discovery_report.h"
#include "shell/progress_geometry.h"
#include "shell/window_messages.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "state/platform_kind.h"

namespace flindor {
namespace {

// What the fields show before discovery has finished.
constexpr char kNoImageYet[] = "NOT OPEN";
constexpr char kNoRevisionYet[] = "????";

void driveSelectionChanged() {
  AppState& s = appState;
  UserInterface& ui = *ports().ui;
  // From the Download's checks to the end of its run the target stays the drive they were made
  // for, which received the first block.
  if (!targetAndImageMayChange(s.runPhase)) {
    ui.comboSetSelection(s.driveCombo, s.selectedDrive);
    return;
  }
  const int picked = ui.comboCurrentSelection(s.driveCombo);
  if (picked < 0 || picked >= s.driveCount || picked >= kDriveTableSize) return;
  const DriveEntry& entry = s.driveTable[picked];
  s.selectedDrive = picked;
  s.selectedAdapter = entry.adapterId;
  s.selectedTarget = entry.targetId;
  // The new version text depends on the drive: the image must be opened again for it.
  closeImage(entry.revision);
  if (s.platformKind == kPassThroughPlatform) s.ntDriveIndex = static_cast<std::uint8_t>(picked);
}

}  // namespace

void controlPanelCreated() {
  UserInterface& ui = *ports().ui;
  ui.setItemText(appState.controlPanel, kFieldDownloadFile, kNoImageYet);
  ui.setItemText(appState.controlPanel, kFieldOldVersion, kNoRevisionYet);
  ui.setItemText(appState.controlPanel, kFieldNewVersion, kNoImageYet);
}

void controlPanelCommand(std::uintptr_t wParam, std::intptr_t lParam) {
  const std::uint16_t id = lowWord(wParam);
  if (id == kDriveComboId) {
    // The list is filled when discovery finishes; until then there is nothing to pick.
    if (appState.runPhase == RunPhase::Discovering) return;
    selectDefaultDrive();
    if (highWord(wParam) == kComboSelectionChanged) driveSelectionChanged();
    return;
  }
  if (id > kCommandExit && id <= kCommandOpen) {
    UserInterface& ui = *ports().ui;
    ui.sendCommand(ui.parentOf(appState.controlPanel), wParam, lParam);
  }
}

bool forwardsNotification(int code) { return code == kToolTipNeedTextA; }

void progressTick() {
  AppState& s = appState;
  if (s.progressStep < kProgressFull) ++s.progressStep;
  ports().ui->invalidate(s.controlPanel, progressInvalidArea(s.progressStep));
  programmingTick();
}

void controlPanelPainted() {
  const AppState& s = appState;
  if (s.discoveryReported == 0 && s.platformKind == kPassThroughPlatform) {
    reportPassThroughDiscovery();
  }
}

}  // namespace flindor
