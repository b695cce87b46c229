#pragma once
// What each back end does with a block and its answer, as data: how a block is handed over, the
// caution before the final block, what the final block's answer means and how a failure is told.
// The sequencer reads the policy of the run's platform and has no branch of its own on it.

#include <cstdint>

#include "scsi/block_answer.h"
#include "state/app_state.h"

namespace flindor {

// What an answer means for the run.
enum class BlockOutcome : std::uint8_t {
  Done,            // the drive has the block: the run goes on (after the final one, to completion)
  Stopped,         // the run stops at the block; a Download sends it again
  DoneUnanswered,  // final block: counted as done, but the drive may still be programming
  Unknown,         // final block: whether the drive programmed its flash is unknown
};

// The message that tells the user a block failed: the back end's own detail first (the volume
// that could not be opened, or a failed call before the final block), then the text.
struct FailureMessage {
  bool transportDetail;
  bool ownedByPanel;  // else no owner
  const char* text;
  std::uint32_t icon;
};

struct BackEndPolicy {
  void (*send)(const DriveEntry& drive, std::uint8_t block);
  // The run has ended: what the back end holds of the drive goes back.
  void (*releaseDrive)();
  // Whether the back end can keep other programs from the drive during a run.
  bool keepsOthersAway;
  bool cautionBeforeFinalBlock;
  // A block before the final one is done only when the drive completed it; the final block's
  // answer means this, by BlockAnswerKind.
  BlockOutcome finalBlock[kBlockAnswerKinds];
  FailureMessage failure;
};

const BackEndPolicy& policyOf(std::uint8_t platformKind);

// What `answer` means for block `block` on `policy`'s back end.
BlockOutcome outcomeOf(const BackEndPolicy& policy, const BlockAnswer& answer);

}  // namespace flindor
