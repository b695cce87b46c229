#include "shell/discovery_report.h"

#include "download/phase_change.h"
#include "download/run_result.h"
#include "download/update_verdict.h"
#include "platform/private_commands.h"
#include "scsi/discovery.h"
#include "shell/discovery_messages.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "state/run_mode.h"

namespace flindor {
namespace {

// The verdict on an earlier update comes right after discovery's own message and before the
// run's end is requested: a message box shown after the quit request would close at once.
void endWithoutDrive(WindowHandle owner, const char* text, const char* caption) {
  ports().ui->messageBox(owner, text, caption, kIconError);
  // A check-only run changes nothing, the record included.
  if (runMode.kind != RunKind::Check) giveUpdateVerdict();
  runResult(kExitNoDrive);
}

}  // namespace

void mainWindowCreated(void* window) {
  AppState& s = appState;
  s.mainWindow = window;
  if (startDiscovery()) return;
  // The probe of A: to H: found nothing. Said here, once: the control panel's first paint must
  // not say it again.
  s.discoveryReported = 1;
  endWithoutDrive(nullptr, discovery_text::kNoDriveKmx, discovery_text::kNoVadade);
  ports().ui->postQuit(0);
}

void discoveryFinished() {
  AppState& s = appState;
  switch (finishDiscovery()) {
    case DiscoveryResult::DrivesListed:
      enterPhase(RunPhase::Idle);
      // From the message loop, after whatever the start-up still shows.
      postPrivateCommand(s.mainWindow, kCommandUpdateVerdict, expectCommand(kCommandUpdateVerdict));
      return;
    case DiscoveryResult::NoDrive:
      endWithoutDrive(s.mainWindow, discovery_text::kNoDvdRom, discovery_text::kNoRomDrive);
      break;
    case DiscoveryResult::NoSupportedDrive:
      endWithoutDrive(s.mainWindow, discovery_text::kNoZibDrive, discovery_text::kNoVadade);
      break;
  }
  ports().ui->destroyWindow(s.mainWindow);
}

void reportPassThroughDiscovery() {
  AppState& s = appState;
  // Set first on both paths, so a repaint behind the message box cannot report again.
  s.discoveryReported = 1;
  if (s.supportedDriveFound != 0) {
    sendPrivateCommand(s.mainWindow, kCommandDiscoveryFinished,
                       expectCommand(kCommandDiscoveryFinished));
    return;
  }
  ports().ui->messageBox(s.mainWindow, discovery_text::kNoZibDrive, discovery_text::kNoVadade,
                         kIconError);
  runResult(kExitNoDrive);
  ports().ui->postQuit(0);
}

}  // namespace flindor
