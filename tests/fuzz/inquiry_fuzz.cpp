// INQUIRY answers on both back ends, then a download: whatever the devices answer, only one that
// gave the whole identity of the supported drive is recorded as one and becomes the target, and
// the blocks go to it alone, each once, in order, with the image's data.
//
// Input: a set-up byte (platform, which list line the user picks, if any), a device count, and
// per device its address, peripheral type, vendor, product, revision and how many bytes of its
// answer it sends.
#include <cstdio>
#include <optional>
#include <set>
#include <vector>

#include "download/download_sequencer.h"
#include "scsi/discovery.h"
#include "shell/control_panel.h"
#include "shell/window_messages.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "state/model_letters.h"
#include "tests/fuzz/fuzz_rules.h"

namespace {

using namespace flindor;
using fuzz::require;

constexpr int kScannedAdapters = 2;

// What arrived of the device's answer names the supported drive. Pass-through: vendor ZIB in an
// answer of all 36 bytes (vendor, product and revision). ASPI, where the length that came is not
// told: a CD/DVD device of vendor ZIB whose answer reached the model letters and has them.
bool answersAsZib(const sim::SimulatedDrive* device, bool aspi) {
  if (device == nullptr) return false;
  const sim::DriveIdentity& id = device->identity();
  const std::string revision = (id.revision + "    ").substr(0, 4);
  if (id.inquiryBytes < (aspi ? 34 : 36) || id.vendor.compare(0, 3, "ZIB") != 0) return false;
  return !aspi || (id.peripheralType == 5 && hasSupportedModelLetters(revision.c_str()));
}

// What the program must record, in its order: letters A to H, or every adapter's targets.
std::vector<const sim::SimulatedDrive*> expectedTable(sim::SimulatedBus& bus, bool aspi) {
  std::vector<const sim::SimulatedDrive*> table;
  for (int at = 0; at < (aspi ? kScannedAdapters * 8 : 8) && table.size() < kDriveTableSize; ++at) {
    const sim::SimulatedDrive* device =
        aspi ? bus.driveAt(at / 8, at % 8) : bus.driveAtLetter(static_cast<char>('A' + at));
    if (device == nullptr) continue;
    const bool recorded =
        aspi ? device->identity().inquiryBytes > 0 && device->identity().peripheralType == 5
             : answersAsZib(device, false);
    if (recorded) table.push_back(device);
  }
  return table;
}

const sim::SimulatedDrive* deviceOf(sim::SimulatedBus& bus, const DriveEntry& entry, bool aspi) {
  return aspi ? bus.driveAt(entry.adapterId, entry.targetId)
              : bus.driveAtLetter(static_cast<char>('A' + entry.driveLetterIndex));
}

const sim::SimulatedDrive* deviceNamed(sim::SimulatedBus& bus, const std::string& name) {
  int adapter = 0, target = 0;
  if (name.size() == 2) return bus.driveAtLetter(name[0]);
  return std::sscanf(name.c_str(), "%d:%d", &adapter, &target) == 2 ? bus.driveAt(adapter, target)
                                                                    : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputBytes in(data, size);
  const std::uint8_t setup = in.next();
  const bool aspi = (setup & 1) == 0;
  const int pick = (setup >> 1) % 6;  // 0: the default target; n: list line n - 1
  fuzz::ProgramHarness program(fuzz::onPlatform(aspi ? kAspiPlatform : kPassThroughPlatform));
  for (int devices = in.next() % 7; devices > 0; --devices) {
    const std::uint8_t where = in.next();
    sim::DeviceAddress address;
    if (aspi) {
      address.adapter = static_cast<std::uint8_t>((where >> 3) % kScannedAdapters);
      address.target = where % 8;
    } else {
      address.letter = static_cast<char>('A' + where % 10);  // I: and J: are never asked
    }
    sim::DriveIdentity id;
    id.peripheralType = in.next();
    id.vendor = in.text(8);
    id.product = in.text(16);
    id.revision = in.text(4);
    id.inquiryBytes = in.next() % 97;
    program.bus.addDrive(address, id);
  }

  program.discover();
  const auto table = expectedTable(program.bus, aspi);
  require(appState.driveCount == table.size(), "every device that answered as asked is recorded");
  for (std::size_t i = 0; i < table.size(); ++i) {
    require(deviceOf(program.bus, appState.driveTable[i], aspi) == table[i],
            "the table holds the devices in the order they were asked");
  }
  std::optional<std::size_t> lastZib;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (answersAsZib(table[i], aspi)) lastZib = i;
  }
  require((appState.supportedDriveFound != 0) == lastZib.has_value(),
          "a supported drive is found exactly when one answered as one");
  if (lastZib) {
    require(deviceOf(program.bus, *targetDrive(), aspi) == table[*lastZib],
            "the last supported drive found is the default target");
  }

  // Judged as the devices answered discovery: a programming gives the drive a new revision.
  std::set<const sim::SimulatedDrive*> supported;
  for (const sim::SimulatedDrive* device : table) {
    if (answersAsZib(device, aspi)) supported.insert(device);
  }

  if (pick != 0) {
    program.ui.comboSelection = pick - 1;
    controlPanelCommand((std::uintptr_t{kComboSelectionChanged} << 16) | kDriveComboId, 0);
  }
  program.open();
  // Yes to every question: a device's revision may make the image look older than its firmware.
  program.ui.onAsk = [](const auto&) { return true; };
  program.command(kCommandDownload, 0);
  program.settle();

  const auto& sent = program.sent();
  fuzz::requireImageInOrder(sent, fuzz::goodImage());
  for (const fuzz::SentBlock& block : sent) {
    require(supported.count(deviceNamed(program.bus, block.device)) == 1,
            "blocks go only to a device that answered as the supported drive");
    require(block.device == sent[0].device, "every block goes to the same drive");
  }
  if (lastZib && pick == 0) require(sent.size() == 64, "the default target gets the whole image");
  return 0;
}
