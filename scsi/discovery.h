#pragma once
// Drive discovery: finds the drives at start-up, records them in the drive table and picks the
// default target.

#include <cstdint>

namespace flindor {

// What a finished ASPI INQUIRY tells discovery.
struct InquiryCompletion {
  std::uint8_t status;       // SRB_Status
  std::uint8_t adapter;      // SRB_HaId
  std::uint8_t target;       // SRB_Target
  const std::uint8_t* data;  // the 36 bytes of INQUIRY data
};

// How discovery ended: the drives are listed with one of the supported model as the target, or
// none is there to update. What the user is told, and what follows, is the shell's to decide.
enum class DiscoveryResult : std::uint8_t { DrivesListed, NoDrive, NoSupportedDrive };

// The main window's WM_CREATE: starts the scan (ASPI) or probes A: to H: (pass-through). False
// when the probe found no drive at all, which ends the run.
bool startDiscovery();
// Pass-through: INQUIRY on one drive letter; 1 when it filled the entry.
int probeDriveLetter(std::uint8_t letterIndex, std::uint8_t entryIndex);
// ASPI: records one answer and asks for the next address (runs on the completion thread).
void recordInquiry(const InquiryCompletion& answer);
// Command 4660: sends the next ASPI INQUIRY.
void nextInquiry();
// Command 17185: fills the drive list and, when a drive of the supported model is among them,
// shows the windows with it as the target.
DiscoveryResult finishDiscovery();

}  // namespace flindor
