#include "shell/aspi_startup.h"

#include "scsi/aspi_transport.h"
#include "shell/startup_messages.h"
#include "state/app_state.h"

namespace flindor {
namespace {

void refuse(const char* text) {
  ports().ui->messageBox(nullptr, text, startup_text::kNoDrive, kIconExclamation);
  stopAspiLayer();
}

}  // namespace

bool startAspiLayer() {
  AppState& s = appState;
  AspiLibrary& library = *ports().aspiLibrary;
  s.aspiLibrary = library.load(kAspiLibraryName);
  if (s.aspiLibrary != nullptr) {
    s.getAspi32SupportInfo = library.entryPoint(s.aspiLibrary, "GetASPI32SupportInfo");
    s.sendAspi32Command = library.entryPoint(s.aspiLibrary, "SendASPI32Command");
  }
  // Without the manager or either entry point there is no way to reach a drive.
  if (s.getAspi32SupportInfo == nullptr || s.sendAspi32Command == nullptr) {
    refuse(startup_text::kNoAspiManager);
    return false;
  }
  // The low byte is the host adapter count; the status above it is not needed.
  s.adapterCount = static_cast<std::uint8_t>(ports().aspi->getSupportInfo() & 0xFF);
  if (s.adapterCount == 0) {
    refuse(startup_text::kNoRomDrive);
    return false;
  }
  return true;
}

void stopAspiLayer() {
  AppState& s = appState;
  // A request still out (the window was closed while the drive works) will be completed by the
  // manager's own thread: its code must stay mapped until the process ends.
  if (s.aspiLibrary != nullptr && !aspiRequestsOutstanding()) {
    ports().aspiLibrary->free(s.aspiLibrary);
  }
  s.aspiLibrary = nullptr;
  s.getAspi32SupportInfo = nullptr;
  s.sendAspi32Command = nullptr;
}

}  // namespace flindor
