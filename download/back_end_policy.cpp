#include "download/back_end_policy.h"

#include "download/download_messages.h"
#include "image/image_layout.h"
#include "scsi/aspi_transport.h"
#include "scsi/pass_through_transport.h"
#include "state/platform_kind.h"

namespace flindor {
namespace {

using enum BlockOutcome;

// Indexed by BlockAnswerKind: Completed, NotSent, RefusedByHost, CallFailed, DriveError.
static_assert(static_cast<int>(BlockAnswerKind::DriveError) == kBlockAnswerKinds - 1);

// The ASPI manager holds nothing of a drive between commands, and has no means to keep other
// programs from it.
void holdsNothing() {}

// One rule for the final block on both back ends: what the drive itself ended with an error, or
// the host gave up on once it had gone out, may have been programmed; what the host refused, or
// never handed over, was not.
constexpr BackEndPolicy kAspi{
    aspiSendBlock,
    holdsNothing,
    false,
    false,
    {Done, Stopped, Stopped, Unknown, Unknown},
    {false, true, download_text::kAspiError, kIconExclamation},
};

// The drive may leave the bus or time out while it programs its flash: a final block whose call
// failed after it went out counts as done, once the drive has had its time to program.
constexpr BackEndPolicy kPassThrough{
    passThroughSendBlock,
    passThroughReleaseDrive,
    true,
    true,
    {Done, Stopped, Stopped, DoneUnanswered, Unknown},
    {true, false, download_text::kWriteFailed, kIconWarning},
};

}  // namespace

const BackEndPolicy& policyOf(std::uint8_t platformKind) {
  return platformKind == kPassThroughPlatform ? kPassThrough : kAspi;
}

BlockOutcome outcomeOf(const BackEndPolicy& policy, const BlockAnswer& answer) {
  if (answer.block == kFinalBlock) return policy.finalBlock[static_cast<int>(answer.kind)];
  return answer.kind == BlockAnswerKind::Completed ? Done : Stopped;
}

}  // namespace flindor
