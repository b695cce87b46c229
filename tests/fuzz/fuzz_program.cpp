#include "tests/fuzz/fuzz_program.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "download/download_sequencer.h"
#include "image/image_layout.h"
#include "scsi/aspi_request.h"
#include "scsi/pass_through_request.h"
#include "scsi/scsi_commands.h"
#include "shell/control_panel.h"
#include "shell/dialog_replies.h"
#include "shell/main_window_commands.h"
#include "shell/window_messages.h"
#include "state/app_state.h"

namespace flindor::fuzz {

void require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", rule);
  std::abort();
}

std::string InputBytes::text(std::size_t length) {
  std::string out;
  while (out.size() < length) out.push_back(static_cast<char>(next()));
  return out;
}

const std::vector<std::uint8_t>& goodImage() {
  static const std::vector<std::uint8_t> image = testing::patternedImage("DA13");
  return image;
}

void requireImageInOrder(const std::vector<SentBlock>& sent,
                         const std::vector<std::uint8_t>& image) {
  for (std::size_t i = 0; i < sent.size(); ++i) {
    require(sent[i].block == static_cast<int>(i), "each block goes once, in order");
    require(sent[i].frame.size() == framedBlockBytes(static_cast<std::uint8_t>(i)),
            "each block goes framed");
    const std::size_t dataBytes = sent[i].frame.size() - kBlockCrcBytes;
    require(std::equal(sent[i].frame.begin(), sent[i].frame.begin() + dataBytes,
                       image.begin() + kImageHeaderBytes + i * kBlockDataBytes),
            "each block carries the image's data");
  }
}

FuzzProgram::FuzzProgram(std::uint8_t platform) {
  resetAppState();
  appState.mainWindow = testing::kMainWindow;
  appState.controlPanel = testing::kControlPanel;
  appState.driveCombo = testing::kDriveCombo;
  appState.platformKind = platform;
  appState.adapterCount = bus.settings.adapters = 2;
  ports() = Ports{.ui = &ui,
                  .files = &files,
                  .aspi = this,
                  .heap = &heap,
                  .volumes = this,
                  .system = &system,
                  .worker = this,
                  .session = &session,
                  .clock = &clock};
  installDownloadSequencer();
  // Sends to the main window are handled at once, nested, as SendMessageA on its own thread.
  ui.onCommand = [this](WindowHandle, std::uintptr_t wParam, std::intptr_t lParam) {
    command(wParam, lParam);
  };
  ui.onTimerTick = [](WindowHandle) { progressTick(); };
  ui.onDialog[kConfirmDialogTemplate] = [] { confirmDialogReply(kWmCommand, kOkCommand); };
  files.add(kImagePath, goodImage());
}

FuzzProgram::~FuzzProgram() {
  // A request the harness never completed stays with the manager; the state goes with it.
  ports() = Ports{};
}

void FuzzProgram::startUp() {
  mainWindowCreated(testing::kMainWindow);
  settle();
  if (appState.platformKind == 1) controlPanelPainted();
}

void FuzzProgram::command(std::uintptr_t wParam, std::intptr_t lParam) {
  mainWindowCommand(wParam, lParam);
}

void FuzzProgram::openImage() {
  ui.chooseFile(kImagePath);
  command(kCommandOpen, 0);
}

bool FuzzProgram::step() {
  if (!jobs_.empty()) {
    const auto [job, context] = jobs_.front();
    jobs_.pop_front();
    job(context);
    return true;
  }
  if (!completions_.empty()) {
    SrbExecScsiCmd* request = completions_.front();
    completions_.pop_front();
    if (aspiModel_.finish(request)) sim::AspiManagerModel::post(request);
    return true;
  }
  return false;
}

void FuzzProgram::settle() {
  while (step()) {
  }
}

bool FuzzProgram::start(void (*job)(void*), void* context) {
  jobs_.emplace_back(job, context);
  return true;
}

std::uint32_t FuzzProgram::sendCommand(void* request) {
  auto* srb = static_cast<SrbExecScsiCmd*>(request);
  if (srb->SRB_Cmd == SC_EXEC_SCSI_CMD && srb->CDBByte[0] == kDownloadOpcode) {
    sent_.push_back({std::to_string(srb->SRB_HaId) + ":" + std::to_string(srb->SRB_Target),
                     srb->CDBByte[kDownloadBlockByte],
                     {srb->SRB_BufPointer, srb->SRB_BufPointer + srb->SRB_BufLen}});
  }
  const std::uint32_t status = aspiModel_.submit(srb);
  if (status == SS_PENDING) completions_.push_back(srb);
  return status;
}

ObjectHandle FuzzProgram::open(const char* devicePath) {
  const ObjectHandle volume = volumes_.open(devicePath);
  if (volume != kInvalidHandle) letters_[volume] = devicePath[4];
  return volume;
}

bool FuzzProgram::passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                              std::uint32_t& bytesReturned, std::uint32_t& error) {
  const auto& r = *static_cast<const ScsiPassThroughDirect*>(request);
  if (r.Cdb[0] == kDownloadOpcode) {
    const auto* data = static_cast<const std::uint8_t*>(r.DataBuffer);
    sent_.push_back({std::string(1, letters_[volume]) + ":",
                     r.Cdb[kDownloadBlockByte],
                     {data, data + r.DataTransferLength}});
  }
  return volumes_.passThrough(volume, request, size, bytesReturned, error);
}

}  // namespace flindor::fuzz
