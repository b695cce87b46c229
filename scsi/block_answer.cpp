#include "scsi/block_answer.h"

#include <cstring>

namespace flindor {

BlockAnswer lastBlockAnswer = {};

static_assert(sizeof(SrbExecScsiCmd::SenseArea) <= kAnswerSenseBytes);
static_assert(kPassThroughSenseRequested >= kAnswerSenseBytes);

void keepAspiAnswer(const SrbExecScsiCmd& request) {
  lastBlockAnswer = {request.SRB_Status, request.SRB_HaStat, request.SRB_TargStat, 0, {}};
  std::memcpy(lastBlockAnswer.sense, request.SenseArea, sizeof request.SenseArea);
}

void keepPassThroughAnswer(const PassThroughRequest& request, std::uint32_t error) {
  lastBlockAnswer = {request.record.ScsiStatus, 0, 0, error, {}};
  std::memcpy(lastBlockAnswer.sense, request.sense, kAnswerSenseBytes);
}

}  // namespace flindor
