#pragma once
// A recording ASPI manager: keeps a copy of every request as it was submitted, answers with a
// chosen status, and finishes the last taken request on demand, on the caller's thread.

#include <cstdint>
#include <vector>

#include "platform/ports.h"
#include "scsi/aspi_request.h"

namespace flindor::testing {

class FakeAspi : public AspiManager {
 public:
  struct Submission {
    SrbExecScsiCmd record;           // as submitted
    std::vector<std::uint8_t> data;  // SRB_BufLen bytes at SRB_BufPointer, as submitted
    SrbExecScsiCmd* live;            // the request itself, while it is outstanding
  };

  std::uint32_t getSupportInfo() override { return supportInfo; }
  std::uint32_t sendCommand(void* request) override;

  // Finishes the last taken request as the manager would: `answer` (if any) into its data
  // buffer, the statuses, then its post routine.
  void complete(std::uint8_t status, const std::vector<std::uint8_t>& answer = {},
                std::uint8_t hostStatus = 0, std::uint8_t targetStatus = 0);

  std::uint32_t supportInfo = 0x0101;
  std::uint32_t answer = SS_PENDING;  // what sendCommand returns
  std::vector<Submission> submissions;
};

}  // namespace flindor::testing
