#include "shell/main_window_commands.h"

#include "download/download_sequencer.h"
#include "download/run_guard.h"
#include "image/image_commands.h"
#include "platform/private_commands.h"
#include "scsi/block_answer.h"
#include "scsi/discovery.h"
#include "shell/discovery_messages.h"
#include "shell/discovery_report.h"
#include "shell/unattended_run.h"
#include "shell/window_messages.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "state/platform_kind.h"

namespace flindor {
namespace {

bool downloadCommitted() { return appState.finalBlockBusy != 0 || appState.downloadConfirmed != 0; }

void nextInquiryCommand() {
  if (appState.platformKind == kAspiPlatform) {
    nextInquiry();
    return;
  }
  // Never expected on this platform, whose probe runs inside window creation.
  ports().ui->messageBox(nullptr, discovery_text::kInquiryOnNt, discovery_text::kInfo,
                         kIconExclamation);
}

}  // namespace

void mainWindowCommand(std::uintptr_t wParam, std::intptr_t lParam) {
  const std::uint16_t id = lowWord(wParam);
  // The program's own commands count only with the token it gave them, once each.
  const bool own = takeCommand(id, wParam, lParam);
  // While the ASPI scan runs, the drive table is still being filled and the scan owns the
  // selected address: no image, and no block, until discovery has finished.
  const bool discovering = appState.runPhase == RunPhase::Discovering;
  switch (id) {
    case kCommandExit:
      exitCommand();
      break;
    case kCommandDownload:
      downloadStep();
      break;
    case kCommandAbout:
      aboutCommand();
      break;
    case kCommandOpen:
      if (!discovering) openImage();
      break;
    case kCommandBlockAnswered:
      if (own) blockAnswered(blockAnswer);
      break;
    case kCommandNextInquiry:
      if (own && discovering) nextInquiryCommand();
      break;
    case kCommandDiscoveryFinished:
      if (own && discovering) discoveryFinished();
      break;
    case kCommandUpdateVerdict:
      if (own) afterDiscovery();
      break;
    default:
      break;  // the accelerator's 40012 and anything else: nothing
  }
}

void mainWindowDestroyed() {
  closedByPerson();
  beginClosing();
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
  closedByPerson();
  beginClosing();
  ports().ui->postQuit(0);
}

void aboutCommand() {
  if (downloadCommitted()) return;
  selectDefaultDrive();
  ports().ui->showDialog(kAboutDialogTemplate, appState.mainWindow);
}

}  // namespace flindor
