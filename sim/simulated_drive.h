#pragma once
// The ZIB drive as a SCSI target: it answers INQUIRY and takes the firmware in 64 blocks,
// checking every DownloadCommand as the real drive must, and refusing with CHECK CONDITION what
// is wrong. After the final block it programs its flash: the data is kept and written out.
// Thread-free: whoever drives it runs one command at a time.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/fault.h"
#include "sim/scsi_exchange.h"
#include "sim/sim_settings.h"

namespace flindor::sim {

// What becomes of a programming the drive completed: the new firmware runs at once; or only after
// the drive's power has been off (a restart of the PC keeps it powered); or never.
enum class Programming { Takes, AfterPowerCycle, Fails };

struct DriveIdentity {
  std::uint8_t peripheralType = 0x05;  // CD/DVD device
  std::string vendor = "ZIB";          // padded with blanks to 8
  std::string product = "KMX4820T";    // to 16
  std::string revision = "DA12";       // to 4
  // Of its INQUIRY data it sends at most this many bytes, as some bridges and virtual drives
  // answer short with GOOD status.
  std::uint32_t inquiryBytes = 96;
  // Strict: from the first block until it has programmed its flash, any other command ends the
  // download, and the drive then refuses the following blocks and keeps its firmware.
  bool strict = false;
};

class SimulatedDrive {
 public:
  SimulatedDrive(DriveIdentity identity, const SimSettings& settings);

  DriveAnswer execute(const ScsiRequest& request);

  // Plans `kind` for the next `times` DownloadCommands of `block` (for OpenFails: the next
  // opens while the drive waits for `block`).
  void planFault(std::uint8_t block, FaultKind kind, int times = 1);
  // True, using one up, when `kind` is planned for `block`.
  bool takeFault(FaultKind kind, std::uint8_t block);
  // The host was told the last command failed although the drive took it: the drive then
  // takes that block once more instead of refusing it as out of order.
  void answerLost();
  // Back to a drive just switched on, with its identity: nothing received, planned or flashed.
  void reset();
  void setProgramming(Programming programming) { programming_ = programming; }
  void setStrict(bool strict) { identity_.strict = strict; }
  // Keeps the revision it reports and the one its flash holds in settings.statePath, under `key`,
  // so that a later run of the program finds the drive as this one left it. Read on first use.
  void keepStateUnder(std::string key) { stateKey_ = std::move(key); }
  // The drive's power is switched off and on: from now on it runs what its flash holds.
  void powerCycle();

  bool present() const { return present_; }
  bool answeredInquiry() const { return answeredInquiry_; }
  std::uint8_t expectedBlock() const { return expected_; }
  int programmings() const { return programmings_; }
  // The data of the last programming: the image without its header, CRCs stripped.
  const std::vector<std::uint8_t>& flashed() const { return flashed_; }
  const DriveIdentity& identity() const { return identity_; }

 private:
  DriveAnswer inquiry(const ScsiRequest& request);
  DriveAnswer testUnitReady();
  DriveAnswer download(const ScsiRequest& request);
  void program(DriveAnswer& answer);
  void restoreState();
  void saveState() const;

  DriveIdentity identity_;
  const SimSettings& settings_;
  std::map<std::pair<std::uint8_t, FaultKind>, int> faults_;
  std::vector<std::uint8_t> received_;
  std::vector<std::uint8_t> flashed_;
  std::uint8_t expected_ = 0;
  bool lastTaken_ = false;
  bool repeatAllowed_ = false;
  bool downloading_ = false;  // from the first block until the programming
  bool disturbed_ = false;    // strict: another command came meanwhile
  bool present_ = true;
  bool answeredInquiry_ = false;
  int programmings_ = 0;
  Programming programming_ = Programming::Takes;
  std::string configuredRevision_;
  std::string flashRevision_;  // "" while the flash holds what runs
  std::string stateKey_;
  bool stateRestored_ = false;
};

}  // namespace flindor::sim
