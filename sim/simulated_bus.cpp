#include "sim/simulated_bus.h"

#include <cctype>
#include <fstream>

#include "sim/wire_values.h"

namespace flindor::sim {

SimulatedDrive& SimulatedBus::addDrive(const DeviceAddress& address, DriveIdentity identity) {
  DeviceAddress stored = address;
  stored.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(address.letter)));
  slots_.push_back({stored, std::make_unique<SimulatedDrive>(std::move(identity), settings)});
  std::string key = stored.letter != 0 ? std::string(1, stored.letter) + ":" : "";
  if (stored.adapter) {
    key += std::to_string(*stored.adapter) + ":" + std::to_string(stored.target);
  }
  slots_.back().drive->keepStateUnder(key);
  return *slots_.back().drive;
}

SimulatedDrive* SimulatedBus::driveAt(std::uint8_t adapter, std::uint8_t target, std::uint8_t lun) {
  if (lun != 0) return nullptr;  // every simulated device has the one logical unit 0
  for (Slot& slot : slots_) {
    if (slot.address.adapter == adapter && slot.address.target == target && slot.drive->present()) {
      return slot.drive.get();
    }
  }
  return nullptr;
}

SimulatedDrive* SimulatedBus::driveAtLetter(char letter) {
  const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  for (Slot& slot : slots_) {
    if (slot.address.letter != 0 && slot.address.letter == wanted && slot.drive->present()) {
      return slot.drive.get();
    }
  }
  return nullptr;
}

void SimulatedBus::note(const std::string& line) {
  transcript_.push_back(line);
  if (!settings.transcriptPath.empty()) {
    // Opened per line, so whoever watches the file sees each command as it happens.
    std::ofstream out(settings.transcriptPath, std::ios::app);
    out << line << '\n';
  }
}

void SimulatedBus::noteAnswer(const std::string& where, const DriveAnswer& answer,
                              const std::string& verdict) {
  note(where + " " + answer.command + " -> " + verdict);
}

std::string SimulatedBus::transcriptText() const {
  std::string text;
  for (const std::string& line : transcript_) text += line + '\n';
  return text;
}

void SimulatedBus::pause(std::uint32_t ms) {
  elapsedMs_ += ms;
  if (ms > 0 && settings.sleep) settings.sleep(ms);
}

std::string statusText(const DriveAnswer& answer) {
  std::string text = answer.status == scsi::kStatusGood ? "GOOD" : "CHECK CONDITION";
  if (!answer.remark.empty()) text += " (" + answer.remark + ")";
  return text;
}

}  // namespace flindor::sim
