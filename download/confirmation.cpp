#include "download/confirmation.h"

#include <cstring>

#include "download/run_result.h"
#include "download/update_messages.h"
#include "platform/format_text.h"
#include "platform/log_file.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "state/model_letters.h"
#include "state/run_mode.h"

namespace flindor {
namespace {

// The image's version, how it compares, the drive's revision, and what became of the download.
constexpr char kNotNewerLine[] = "the image's version %s is %s the drive's %s: %s";

const char* comparison(int order) { return order < 0 ? "older than" : "the same as"; }

// The image's version as the fields show it: with the drive's own model letter.
struct ImageVersion {
  char text[5];
};
ImageVersion imageVersion() {
  ImageVersion version{};
  std::memcpy(version.text, appState.imageHeader, sizeof version.text - 1);
  return version;
}

// An image that would not make the drive newer goes only with a Yes; No is the default.
bool versionAgreed(const DriveEntry& target) {
  const int order = versionOrder(appState.imageHeader, target.revision);
  if (order > 0) return true;
  char text[160];
  const ImageVersion image = imageVersion();
  formatTextOf(text, sizeof text, update_text::kNotNewerImage, target.revision, image.text,
               order < 0 ? update_text::kOlder : update_text::kSame);
  const bool anyway = ports().ui->ask(appState.mainWindow, text, update_text::kWarning,
                                      kIconWarning | kButtonsYesNo | kDefaultButton2);
  logLine(kNotNewerLine, image.text, comparison(order), target.revision,
          anyway ? "the user goes on" : "the user stops");
  return anyway;
}

// Without a person: the same rules, answered by the command line.
void consentOfCommandLine(const DriveEntry& target) {
  const RunMode& mode = runMode;
  const int order = versionOrder(appState.imageHeader, target.revision);
  const ImageVersion image = imageVersion();
  if (order <= 0 && !mode.allowOlder) {
    logLine(kNotNewerLine, image.text, comparison(order), target.revision,
            "nothing sent (/allowolder not given)");
    endUnattendedRun(order < 0 ? kExitNotNewer : kExitDone);
    return;
  }
  if (ports().system->powerSource() == PowerSource::Battery) {
    logLine("the PC runs on battery power: %s",
            mode.ignorePower ? "/ignorepower given, the update goes on" : "nothing sent");
    if (!mode.ignorePower) {
      endUnattendedRun(kExitOnBattery);
      return;
    }
  }
  appState.downloadConfirmed = 1;
}

}  // namespace

void askForConfirmation() {
  AppState& s = appState;
  UserInterface& ui = *ports().ui;
  const DriveEntry* target = targetDrive();
  if (target == nullptr) return;
  if (unattended()) {
    consentOfCommandLine(*target);
    return;
  }
  if (!versionAgreed(*target)) return;
  if (ports().system->powerSource() == PowerSource::Battery) {
    const bool anyway = ui.ask(s.mainWindow, update_text::kOnBattery, update_text::kWarning,
                               kIconWarning | kButtonsYesNo | kDefaultButton2);
    logLine("the PC runs on battery power: %s", anyway ? "the user goes on" : "the user stops");
    if (!anyway) return;
  }
  ui.showDialog(kConfirmDialogTemplate, s.mainWindow);
}

}  // namespace flindor
