#pragma once
// What the host and the drive answered to the last DownloadCommand, kept for the log. Written
// by the thread that learns the outcome before it hands the outcome on, read on the GUI thread
// after that hand-off.

#include <cstdint>

#include "scsi/aspi_srb.h"
#include "scsi/pass_through_request.h"

namespace flindor {

inline constexpr std::uint32_t kAnswerSenseBytes = 18;

struct BlockAnswer {
  std::uint8_t status;        // ASPI: SRB_Status; pass-through: ScsiStatus
  std::uint8_t hostStatus;    // ASPI: SRB_HaStat
  std::uint8_t targetStatus;  // ASPI: SRB_TargStat
  std::uint32_t error;        // pass-through: the system's error code of a failed call
  // Fixed-format sense data: the key in the low half of byte 2, ASC and ASCQ in bytes 12, 13.
  std::uint8_t sense[kAnswerSenseBytes];
};

extern BlockAnswer lastBlockAnswer;

void keepAspiAnswer(const SrbExecScsiCmd& request);
void keepPassThroughAnswer(const PassThroughRequest& request, std::uint32_t error);

}  // namespace flindor
