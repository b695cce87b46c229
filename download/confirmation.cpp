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

// The answer to a question before the download: the person's, No the default; without one, the
// command line's switch.
bool answer(const char* question, bool switchGiven) {
  if (unattended()) return switchGiven;
  return ports().ui->ask(appState.mainWindow, question, update_text::kWarning,
                         kIconWarning | kButtonsYesNo | kDefaultButton2);
}

const char* outcomeOf(bool anyway) {
  if (unattended())
    return anyway ? "allowed by the command line, the update goes on" : "nothing sent";
  return anyway ? "the user goes on" : "the user stops";
}

// An image that would not make the drive newer goes only with a Yes (/allowolder). Refused without
// a person, the same version is no failure: the drive has it already.
bool versionAgreed(const DriveEntry& target) {
  const int order = versionOrder(appState.imageHeader, target.revision);
  if (order > 0) return true;
  char text[160];
  const ImageVersion image = imageVersion();
  formatTextOf(text, sizeof text, update_text::kNotNewerImage, target.revision, image.text,
               order < 0 ? update_text::kOlder : update_text::kSame);
  const bool anyway = answer(text, runMode.allowOlder);
  logLine(kNotNewerLine, image.text, comparison(order), target.revision, outcomeOf(anyway));
  if (!anyway) endUnattendedRun(order < 0 ? kExitNotNewer : kExitDone);
  return anyway;
}

// On battery power only with a Yes (/ignorepower).
bool powerAgreed() {
  if (ports().system->powerSource() != PowerSource::Battery) return true;
  const bool anyway = answer(update_text::kOnBattery, runMode.ignorePower);
  logLine("the PC runs on battery power: %s", outcomeOf(anyway));
  if (!anyway) endUnattendedRun(kExitOnBattery);
  return anyway;
}

}  // namespace

void askForConfirmation() {
  const DriveEntry* target = targetDrive();
  if (target == nullptr || !versionAgreed(*target) || !powerAgreed()) return;
  if (unattended()) {
    appState.downloadConfirmed = 1;
  } else {
    ports().ui->showDialog(kConfirmDialogTemplate, appState.mainWindow);
  }
}

}  // namespace flindor
