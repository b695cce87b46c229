#pragma once
// The ASPI back end (Windows 95/98/Me): every command is submitted with posting, and its end is
// reported later, on the ASPI manager's thread, to aspiCompletion.

#include <cstdint>

#include "scsi/aspi_request.h"
#include "state/app_state.h"

namespace flindor {

// INQUIRY to appState.selectedAdapter / selectedTarget, LUN 0; the answer reaches discovery
// through aspiCompletion. A request the manager does not take is reported to discovery as an
// INQUIRY that failed, so the scan goes on.
void aspiInquiry();

// Hands `block` of blockBuffer to `drive` (its adapter and target, LUN 0) and returns once the
// manager has taken it. The answer (scsi/block_answer.h) comes back as kCommandBlockAnswered to
// the main window: from the manager's thread when the request ends, or at once, from this call,
// when the request could not be submitted.
void aspiSendBlock(const DriveEntry& drive, std::uint8_t block);

// True while the manager holds a request whose post routine has not finished.
bool aspiRequestsOutstanding();

// The post routine of every request: hands the result on and releases the request.
void aspiCompletion(SrbExecScsiCmd* request);

}  // namespace flindor
