#include "shell/main_window_commands.h"

#include "download/download_sequencer.h"
#include "download/update_verdict.h"
#include "image/image_commands.h"
#include "platform/private_commands.h"
#include "scsi/discovery.h"
#include "scsi/pass_through_transport.h"
#include "shell/window_messages.h"
#include "state/app_state.h"

namespace flindor {
namespace {

bool downloadCommitted() { return appState.finalBlockBusy != 0 || appState.downloadConfirmed != 0; }

}  // namespace

void mainWindowCommand(std::uintptr_t wParam, std::intptr_t lParam) {
  const std::uint16_t id = lowWord(wParam);
  // The program's own commands count only with the token it gave them, once each.
  const bool own = takeCommand(id, wParam, lParam);
  // While the ASPI scan runs, the drive table is still being filled and the scan owns the
  // selected address: no image, and no block, until discovery has finished.
  const bool discovered = appState.discoveryFinished != 0;
  switch (id) {
    case kCommandExit:
      exitCommand();
      break;
    case kCommandDownload:
      if (discovered) downloadStep();
      break;
    case kCommandAbout:
      aboutCommand();
      break;
    case kCommandOpen:
      if (discovered) openImage();
      break;
    case kCommandDownloadStopped:
      if (own) downloadStopped();
      break;
    case kCommandPassThroughFinished:
      if (own) passThroughDownloadFinished();
      break;
    case kCommandNextInquiry:
      if (own && !discovered) nextInquiry();
      break;
    case kCommandDiscoveryFinished:
      if (own && !discovered) {
        finishDiscovery();
        verdictAfterDiscovery();
      }
      break;
    case kCommandUpdateVerdict:
      if (own) giveUpdateVerdict();
      break;
    default:
      break;  // the accelerator's 40012 and anything else: nothing
  }
}

void mainWindowCreated(void* window) {
  appState.mainWindow = window;
  startDiscovery();
}

void mainWindowDestroyed() {
  appState.closing = 1;
  ports().ui->postQuit(0);
}

const char* toolTipText(std::uintptr_t commandId) {
  switch (commandId) {
    case kCommandDownload:
      return "Start Download";
    case kCommandAbout:
      return "About FLINDOR";
    case kCommandOpen:
      return "Open Bin File";
    default:
      return nullptr;
  }
}

void exitCommand() {
  if (downloadCommitted()) return;
  appState.closing = 1;
  ports().ui->postQuit(0);
}

void aboutCommand() {
  if (downloadCommitted()) return;
  selectDefaultDrive();
  ports().ui->showDialog(kAboutDialogTemplate, appState.mainWindow);
}

}  // namespace flindor
