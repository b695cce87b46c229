// The main window's commands, a person's and other programs', at any moment of a run on either
// back end: whatever arrives, no block goes twice, out of order or to another drive, nothing is
// sent once closing has begun, the run completes at most once, and a completed run leaves the
// image in the drive's flash.
//
// Input: a set-up byte (platform, the ConfirmDialog's answer), then steps of five bytes: what
// happens next (a menu, toolbar or accelerator command; one of the program's own ids; a genuine
// message of the program's again; a block's work done; a tick of the progress timer; a drive
// picked in the list) and the words that go with it.
#include <algorithm>
#include <optional>
#include <vector>

#include "platform/private_commands.h"
#include "shell/control_panel.h"
#include "shell/dialog_replies.h"
#include "shell/window_messages.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "tests/fuzz/fuzz_rules.h"

namespace {

using namespace flindor;
using fuzz::require;

constexpr std::uint16_t kPersonsIds[] = {kCommandDownload, kCommandOpen,        kCommandAbout,
                                         kCommandExit,     kCommandAccelerator, 0};
constexpr std::uint16_t kOwnIds[] = {kCommandNextInquiry, kCommandDiscoveryFinished,
                                     kCommandBlockAnswered, kCommandUpdateVerdict};

bool isOwn(std::uint16_t id) {
  return std::find(std::begin(kOwnIds), std::end(kOwnIds), id) != std::end(kOwnIds);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputBytes in(data, size);
  const std::uint8_t setup = in.next();
  const bool aspi = (setup & 1) == 0;
  fuzz::ProgramHarness program(fuzz::onPlatform(aspi ? kAspiPlatform : kPassThroughPlatform));
  // The ZIB drive, and another maker's drive found after it (ASPI lists it).
  sim::DriveIdentity other{5, "OTHER", "CD-ROM", "DA01"};
  const std::string zibDrive = aspi ? "0:1" : "E:";
  program.bus.addDrive(aspi ? sim::DeviceAddress{0, 1, 0} : sim::DeviceAddress{{}, 0, 'E'});
  program.bus.addDrive(aspi ? sim::DeviceAddress{0, 3, 0} : sim::DeviceAddress{{}, 0, 'F'}, other);
  if ((setup & 2) != 0) {
    program.ui.onDialog[kConfirmDialogTemplate] = [] {
      confirmDialogReply(kWmCommand, kCancelCommand);
    };
  }
  std::vector<PrivateCommand> genuine;
  program.ui.onCommand = [&](WindowHandle, std::uintptr_t wParam, std::intptr_t lParam) {
    if (isOwn(lowWord(wParam)) && genuine.size() < 256) genuine.push_back({wParam, lParam});
    program.command(wParam, lParam);
  };
  program.discover();

  std::optional<std::size_t> sentAtClosing;
  while (!in.done()) {
    const std::uint8_t what = in.next();
    const auto high = static_cast<std::uintptr_t>(in.next() | in.next() << 8) << 16;
    const auto lParam = static_cast<std::intptr_t>(in.next() | in.next() << 8);
    switch (what % 6) {
      case 0: {
        const std::uint16_t id = kPersonsIds[what / 6 % std::size(kPersonsIds)];
        if (id == kCommandOpen) program.ui.chooseFile(fuzz::kImagePath);
        program.command(high | id, lParam);
        break;
      }
      case 1: {
        const std::uint16_t id = kOwnIds[what / 6 % std::size(kOwnIds)];
        program.command(high | id, static_cast<std::intptr_t>(lParam << 16 | id));
        break;
      }
      case 2:
        if (!genuine.empty()) {
          const PrivateCommand& again = genuine[static_cast<std::size_t>(lParam) % genuine.size()];
          program.command(again.wParam, again.lParam);
        }
        break;
      case 3:
        program.step();
        break;
      case 4:
        progressTick();
        break;
      case 5:
        program.ui.comboSelection = static_cast<int>(lParam % 3) - 1;
        controlPanelCommand((std::uintptr_t{kComboSelectionChanged} << 16) | kDriveComboId, 0);
        break;
    }
    if (appState.runPhase == RunPhase::Closing && !sentAtClosing) {
      sentAtClosing = program.sent().size();
    }
  }
  program.settle();

  const auto& sent = program.sent();
  fuzz::requireImageInOrder(sent, fuzz::goodImage());
  for (const fuzz::SentBlock& block : sent) {
    require(block.device == zibDrive, "blocks go only to the ZIB drive");
  }
  for (const std::string& line : program.bus.transcript()) {
    require(line.find("CHECK CONDITION") == std::string::npos, "the drive refuses nothing");
  }
  require(!sentAtClosing || sent.size() == *sentAtClosing, "nothing is sent once closing began");
  const int reboots = program.system.count("exit windows 6 0");
  require(reboots <= 1, "one reboot request per run at most");
  if (sent.size() == 64 && !sentAtClosing) {
    const sim::SimulatedDrive* drive =
        aspi ? program.bus.driveAt(0, 1) : program.bus.driveAtLetter('E');
    require(reboots == 1 && drive->programmings() == 1, "a whole image ends in one completion");
  }
  return 0;
}
