#include "shell/unattended_run.h"

#include "download/download_sequencer.h"
#include "download/run_result.h"
#include "download/update_verdict.h"
#include "image/image_commands.h"
#include "platform/log_file.h"
#include "state/app_state.h"
#include "state/model_letters.h"
#include "state/run_mode.h"

namespace flindor {
namespace {

constexpr char kUsage[] =
    "flindor /update PATH [/noreboot] [/allowolder] [/ignorepower] [/log PATH]\n"
    "flindor /check [PATH] [/log PATH]\n"
    "flindor /verdict [/log PATH]\n\n"
    "The exit code says how it ended, the log why.";

// /check PATH: the image is accepted as Open accepts it, and is newer than the drive's firmware.
ExitCode checkedImage() {
  if (runMode.imagePath[0] == '\0') return kExitDone;
  if (!openImageAt(runMode.imagePath)) return kExitImageRefused;
  // Discovery made the supported drive the target, and Open kept it so.
  const DriveEntry* target = targetDrive();
  if (target == nullptr) return kExitNoDrive;
  const int order = versionOrder(appState.imageHeader, target->revision);
  logLine("image %s applies to the drive, which reports %s: its version is %s", appState.imageName,
          target->revision,
          order > 0    ? "newer"
          : order == 0 ? "the same"
                       : "older");
  return order > 0 ? kExitDone : kExitNotNewer;
}

}  // namespace

int showUsage() {
  ports().ui->messageBox(nullptr, kUsage, "FLINDOR", kIconInformation);
  return kExitDone;
}

void afterDiscovery() {
  switch (runMode.kind) {
    case RunKind::Verdict:
      endUnattendedRun(giveUpdateVerdict() ? kExitDone : kExitNotExpected);
      return;
    case RunKind::Check:
      endUnattendedRun(checkedImage());
      return;
    case RunKind::Update:
      giveUpdateVerdict();
      if (!openImageAt(runMode.imagePath)) {
        endUnattendedRun(kExitImageRefused);
        return;
      }
      downloadStep();
      // Refused before anything went (the log says why; a refusal with its own code has ended the
      // run already).
      if (appState.runPhase == RunPhase::Idle) endUnattendedRun(kExitNoDrive);
      return;
    default:
      giveUpdateVerdict();
  }
}

void closedByPerson() {
  if (!unattended() || runMode.resultGiven) return;
  runResult(appState.finalBlockBusy != 0 ? kExitOutcomeUnknown : kExitStopped);
}

}  // namespace flindor
