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

// Private commands of the main window, sent with wParam and lParam both equal to the id.
inline constexpr std::uint16_t kCommandNextInquiry = 4660;         // 0x1234
inline constexpr std::uint16_t kCommandDiscoveryFinished = 17185;  // 0x4321

// The main window's WM_CREATE: starts the scan (ASPI) or probes A: to H: (pass-through).
void startDiscovery();
// Pass-through: INQUIRY on one drive letter; 1 when it filled the entry.
int probeDriveLetter(std::uint8_t letterIndex, std::uint8_t entryIndex);
// ASPI: records one answer and asks for the next address (runs on the completion thread).
void recordInquiry(const InquiryCompletion& answer);
// Command 4660: sends the next ASPI INQUIRY.
void nextInquiry();
// Command 17185: fills the drive list and shows the windows, or ends the run.
void finishDiscovery();

}  // namespace flindor
