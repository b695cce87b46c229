#include "scsi/aspi_transport.h"

#include <atomic>
#include <cstring>

#include "image/image_layout.h"
#include "scsi/block_answer.h"
#include "scsi/discovery.h"
#include "scsi/scsi_commands.h"
#include "state/app_state.h"

namespace flindor {
namespace {

// Read on the ASPI manager's thread, installed on the GUI thread before any request.
std::atomic<DownloadResultHandler> downloadResultHandler{nullptr};
// Requests the manager has taken and not yet finished with: its library must stay loaded.
std::atomic<int> requestsOutstanding{0};

void reportDownloadResult(bool completed) {
  if (const DownloadResultHandler handler = downloadResultHandler.load()) handler(completed);
}

SrbExecScsiCmd* newRequest(std::size_t bytes, std::uint8_t direction, const Cdb& cdb) {
  auto* request = static_cast<SrbExecScsiCmd*>(ports().heap->allocate(bytes));
  if (request == nullptr) return nullptr;
  std::memset(request, 0, kAspiRecordClearedBytes);
  request->SRB_Cmd = SC_EXEC_SCSI_CMD;
  request->SRB_HaId = appState.selectedAdapter;
  request->SRB_Flags = direction | SRB_POSTING;
  request->SRB_Target = appState.selectedTarget;
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

void setDownloadResultHandler(DownloadResultHandler handler) { downloadResultHandler = handler; }

bool aspiRequestsOutstanding() { return requestsOutstanding != 0; }

void aspiInquiry() {
  SrbExecScsiCmd* request =
      newRequest(kAspiInquiryRecordBytes, SRB_DIR_IN, inquiryCdb(kAspiInquiryLength));
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

bool aspiDownloadCommand() {
  const std::uint8_t block = appState.nextBlock;
  SrbExecScsiCmd* request = newRequest(kAspiDownloadRecordBytes, SRB_DIR_OUT, downloadCdb(block));
  if (request != nullptr) {
    request->SRB_BufLen = framedBlockBytes(block);
    request->SRB_BufPointer = appState.blockBuffer;
    if (submit(request)) return true;
  }
  // Not sent: the download stops at this block, and a later Download may send it again.
  if (request != nullptr) keepAspiAnswer(*request);
  release(request);
  reportDownloadResult(false);
  return false;
}

void aspiCompletion(SrbExecScsiCmd* request) {
  const std::uint8_t opcode = request->CDBByte[0];
  if (opcode == kInquiryOpcode) {
    std::uint8_t* data = request->SRB_BufPointer;
    recordInquiry({request->SRB_Status, request->SRB_HaId, request->SRB_Target, data});
    release(data);
  } else if (opcode == kDownloadOpcode) {
    keepAspiAnswer(*request);
    reportDownloadResult(request->SRB_Status == SS_COMP);
  }
  release(request);
  --requestsOutstanding;
}

}  // namespace flindor
