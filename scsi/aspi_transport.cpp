#include "scsi/aspi_transport.h"

#include <atomic>
#include <cstring>

#include "image/image_layout.h"
#include "platform/private_commands.h"
#include "scsi/block_answer.h"
#include "scsi/discovery.h"
#include "scsi/scsi_commands.h"
#include "state/command_ids.h"

namespace flindor {
namespace {

// Requests the manager has taken and not yet finished with: its library must stay loaded.
std::atomic<int> requestsOutstanding{0};
// The token the answer to the block out carries; drawn on the GUI thread before the request is
// submitted, read on the manager's thread when it ends.
std::atomic<std::uint32_t> answerToken{0};

// What became of a request the manager ended, as both back ends say it.
BlockAnswerKind kindOf(const SrbExecScsiCmd& request) {
  switch (request.SRB_Status) {
    case SS_COMP:
      return BlockAnswerKind::Completed;
    case SS_ERR:
      // With a target status the drive itself ended the command; without one the host gave up
      // on it (a time-out, a drive gone from the bus) after it went out.
      return request.SRB_TargStat != 0 ? BlockAnswerKind::DriveError : BlockAnswerKind::CallFailed;
    default:
      // Aborted, or refused as invalid: the drive never saw it.
      return BlockAnswerKind::RefusedByHost;
  }
}

void answer(const SrbExecScsiCmd& request, BlockAnswerKind kind, NotSentReason notSent) {
  blockAnswer = {kind,
                 notSent,
                 request.CDBByte[kDownloadBlockByte],
                 request.SRB_Status,
                 request.SRB_HaStat,
                 request.SRB_TargStat,
                 0,
                 {},
                 {}};
  std::memcpy(blockAnswer.sense, request.SenseArea, sizeof request.SenseArea);
  sendPrivateCommand(appState.mainWindow, kCommandBlockAnswered, answerToken);
}

SrbExecScsiCmd* newRequest(std::size_t bytes, std::uint8_t adapter, std::uint8_t target,
                           std::uint8_t direction, const Cdb& cdb) {
  auto* request = static_cast<SrbExecScsiCmd*>(ports().heap->allocate(bytes));
  if (request == nullptr) return nullptr;
  std::memset(request, 0, kAspiRecordClearedBytes);
  request->SRB_Cmd = SC_EXEC_SCSI_CMD;
  request->SRB_HaId = adapter;
  request->SRB_Flags = direction | SRB_POSTING;
  request->SRB_Target = target;
  request->SRB_Lun = 0;
  request->SRB_SenseLen = SENSE_LEN;
  request->SRB_CDBLen = kCdbBytes;
  request->SRB_PostProc = aspiCompletion;
  std::memcpy(request->CDBByte, cdb.data(), cdb.size());
  return request;
}

void release(void* block) {
  if (block != nullptr) ports().heap->release(block);
}

// The manager takes a request only with SS_PENDING; any other answer means no completion
// will ever come, and the request is still ours.
bool submit(SrbExecScsiCmd* request) {
  ++requestsOutstanding;
  const std::uint32_t status = ports().aspi->sendCommand(request);
  if (status == SS_PENDING) return true;
  --requestsOutstanding;
  request->SRB_Status = static_cast<std::uint8_t>(status);  // as the manager reports it
  return false;
}

}  // namespace

bool aspiRequestsOutstanding() { return requestsOutstanding != 0; }

void aspiInquiry() {
  const AppState& s = appState;
  SrbExecScsiCmd* request = newRequest(kAspiInquiryRecordBytes, s.selectedAdapter, s.selectedTarget,
                                       SRB_DIR_IN, inquiryCdb(kAspiInquiryLength));
  auto* data = request != nullptr
                   ? static_cast<std::uint8_t*>(ports().heap->allocate(kAspiInquiryLength))
                   : nullptr;
  if (request != nullptr && data != nullptr) {
    // Cleared so that an answer shorter than asked can never be judged on stale heap bytes.
    std::memset(data, 0, kAspiInquiryLength);
    request->SRB_BufLen = kAspiInquiryLength;
    request->SRB_BufPointer = data;
    if (submit(request)) return;
  }
  // Not sent: discovery learns of it as of an INQUIRY that failed, and skips the address. The
  // blocks go back first, as discovery may send the next INQUIRY from inside recordInquiry.
  release(data);
  release(request);
  const std::uint8_t noAnswer[kAspiInquiryLength] = {};
  recordInquiry({SS_ERR, appState.selectedAdapter, appState.selectedTarget, noAnswer});
}

void aspiSendBlock(const DriveEntry& drive, std::uint8_t block) {
  answerToken = expectCommand(kCommandBlockAnswered);
  SrbExecScsiCmd* request = newRequest(kAspiDownloadRecordBytes, drive.adapterId, drive.targetId,
                                       SRB_DIR_OUT, downloadCdb(block));
  if (request != nullptr) {
    request->SRB_BufLen = framedBlockBytes(block);
    request->SRB_BufPointer = appState.blockBuffer;
    if (submit(request)) return;
  }
  // Not sent: no completion will come, so the answer is given here, as the manager said it.
  SrbExecScsiCmd refused{};
  if (request != nullptr) refused = *request;
  refused.CDBByte[kDownloadBlockByte] = block;
  release(request);
  answer(refused, BlockAnswerKind::NotSent, NotSentReason::NoRequest);
}

void aspiCompletion(SrbExecScsiCmd* request) {
  const std::uint8_t opcode = request->CDBByte[0];
  if (opcode == kInquiryOpcode) {
    std::uint8_t* data = request->SRB_BufPointer;
    recordInquiry({request->SRB_Status, request->SRB_HaId, request->SRB_Target, data});
    release(data);
  } else if (opcode == kDownloadOpcode) {
    answer(*request, kindOf(*request), NotSentReason::None);
  }
  release(request);
  --requestsOutstanding;
}

}  // namespace flindor
