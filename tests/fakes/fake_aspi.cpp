#include "tests/fakes/fake_aspi.h"

#include <cstring>

namespace flindor::testing {

std::uint32_t FakeAspi::sendCommand(void* request) {
  auto* srb = static_cast<SrbExecScsiCmd*>(request);
  Submission s{*srb, {}, answer == SS_PENDING ? srb : nullptr};
  if (srb->SRB_BufPointer != nullptr) {
    s.data.assign(srb->SRB_BufPointer, srb->SRB_BufPointer + srb->SRB_BufLen);
  }
  submissions.push_back(std::move(s));
  return answer;
}

void FakeAspi::complete(std::uint8_t status, const std::vector<std::uint8_t>& answer,
                        std::uint8_t hostStatus, std::uint8_t targetStatus) {
  SrbExecScsiCmd* request = submissions.back().live;
  submissions.back().live = nullptr;
  if (!answer.empty()) std::memcpy(request->SRB_BufPointer, answer.data(), answer.size());
  request->SRB_Status = status;
  request->SRB_HaStat = hostStatus;
  request->SRB_TargStat = targetStatus;
  request->SRB_PostProc(request);
}

}  // namespace flindor::testing
