#pragma once
// The simulated devices, where they sit (host adapter and target, drive letter or both), and
// the transcript of every command that reaches them. Thread-free, like the drive.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/simulated_drive.h"

namespace flindor::sim {

struct DeviceAddress {
  std::optional<std::uint8_t> adapter;  // with target: reachable through ASPI
  std::uint8_t target = 0;
  char letter = 0;  // 'A' to 'Z': reachable as a volume; 0: not
};

class SimulatedBus {
 public:
  SimSettings settings;

  SimulatedDrive& addDrive(const DeviceAddress& address, DriveIdentity identity = {});
  // The drive present at an address or letter, or nullptr.
  SimulatedDrive* driveAt(std::uint8_t adapter, std::uint8_t target, std::uint8_t lun = 0);
  SimulatedDrive* driveAtLetter(char letter);

  // One transcript line; also appended to settings.transcriptPath when one is set.
  void note(const std::string& line);
  // "<route> <where> <command> -> <verdict>" for one answered command.
  void noteAnswer(const std::string& where, const DriveAnswer& answer, const std::string& verdict);
  const std::vector<std::string>& transcript() const { return transcript_; }
  std::string transcriptText() const;

  // Lets `ms` of simulated time pass.
  void pause(std::uint32_t ms);
  // The simulated time that has passed, in ms.
  std::uint64_t elapsedMs() const { return elapsedMs_; }

 private:
  struct Slot {
    DeviceAddress address;
    std::unique_ptr<SimulatedDrive> drive;
  };
  std::vector<Slot> slots_;
  std::vector<std::string> transcript_;
  std::uint64_t elapsedMs_ = 0;
};

// The verdict of an answered command: "GOOD", or "CHECK CONDITION (why)".
std::string statusText(const DriveAnswer& answer);

}  // namespace flindor::sim
