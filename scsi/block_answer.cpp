#include "scsi/block_answer.h"

namespace flindor {

BlockAnswer blockAnswer = {};

static_assert(sizeof(SrbExecScsiCmd::SenseArea) <= kAnswerSenseBytes);
static_assert(kPassThroughSenseRequested >= kAnswerSenseBytes);

}  // namespace flindor
