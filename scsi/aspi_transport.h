#pragma once
// The ASPI back end (Windows 95/98/Me): every command is submitted with posting, and its end is
// reported later, on the ASPI manager's thread, to aspiCompletion.

#include "scsi/aspi_request.h"

namespace flindor {

// Called with each DownloadCommand's outcome: true when the drive completed it. The download
// installs it once, before any block is sent; it runs on the thread that learnt the outcome.
using DownloadResultHandler = void (*)(bool completed);
void setDownloadResultHandler(DownloadResultHandler handler);

// INQUIRY to appState.selectedAdapter / selectedTarget, LUN 0; the answer reaches discovery
// through aspiCompletion. A request the manager does not take is reported to discovery as an
// INQUIRY that failed, so the scan goes on.
void aspiInquiry();

// Sends block appState.nextBlock from appState.blockBuffer to the selected address. True once
// the manager has taken the request; a request it does not take ends the block as failed
// ("ERROR  !!"), leaving the download stopped at nextBlock.
bool aspiDownloadCommand();

// True while the manager holds a request whose post routine has not finished.
bool aspiRequestsOutstanding();

// The post routine of every request: hands the result on and releases the request.
void aspiCompletion(SrbExecScsiCmd* request);

}  // namespace flindor
