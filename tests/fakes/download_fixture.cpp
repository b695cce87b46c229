#include "tests/fakes/download_fixture.h"

#include <algorithm>
#include <atomic>
#include <iostream>
#include <memory>
#include <thread>

#include "download/run_guard.h"
#include "scsi/pass_through_request.h"
#include "scsi/scsi_commands.h"
#include "shell/control_panel.h"
#include "shell/dialog_replies.h"
#include "shell/main_window_commands.h"
#include "shell/window_messages.h"

namespace flindor::testing {

bool TappedVolumes::passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                                std::uint32_t& bytesReturned, std::uint32_t& error) {
  const auto& r = *static_cast<const ScsiPassThroughDirect*>(request);
  if (r.Cdb[0] == kDownloadOpcode) {
    downloads.push_back({r.Cdb[kDownloadBlockByte], r.DataTransferLength, r.TimeOutValue});
  }
  if (beforeDrive) beforeDrive(r);
  if (refuse) {
    if (const std::uint32_t code = refuse(r)) {
      error = code;
      return false;
    }
  }
  return inner_.passThrough(volume, request, size, bytesReturned, error);
}

DownloadTest::DownloadTest() {
  ports().system = &system;
  bus.settings.sleep = [this](std::uint32_t ms) { clock.advance(ms); };  // the drive's time
  files.add(kImagePath, image);
  ui.onTimerTick = [](WindowHandle) { progressTick(); };
  answerConfirm(kOkCommand);
}

void DownloadTest::answerConfirm(std::uintptr_t button) {
  ui.onDialog[kConfirmDialogTemplate] = [button] { confirmDialogReply(kWmCommand, button); };
}

std::vector<std::string> DownloadTest::downloadLines() const {
  std::vector<std::string> lines;
  for (const std::string& line : bus.transcript()) {
    if (line.find("DOWNLOAD") != std::string::npos) lines.push_back(line);
  }
  return lines;
}

void DownloadTest::restart() {
  resetState();
  ui.clear();
  files.inject = nullptr;
  files.add(kImagePath, image);
  system.clearLog();
  session.reset();
  simulatedDrive().reset();
  answerConfirm(kOkCommand);
  ui.onMessageBox = nullptr;
  ui.onAsk = nullptr;
}

// ---- Pass-through ----

PassThroughDownloadTest::PassThroughDownloadTest() : drive(bus.addDrive({std::nullopt, 0, 'E'})) {
  ports().volumes = &tapped;
  appState.platformKind = 1;
  worker.runAtOnce = false;
  ui.onCommand = [this](WindowHandle, std::uintptr_t wParam, std::intptr_t lParam) {
    if (lowWord(wParam) == kCommandDownload) chained.push_back({lParam, appState.nextBlock});
    if (lowWord(wParam) == kCommandPassThroughFinished && beforeHandOff &&
        !beforeHandOff(wParam, lParam)) {
      return;
    }
    dispatch(wParam, lParam);
  };
}

PassThroughDownloadTest::~PassThroughDownloadTest() {
  if (HasFailure()) std::cout << "Transcript:\n" << bus.transcriptText();
}

void PassThroughDownloadTest::dispatch(std::uintptr_t wParam, std::intptr_t lParam) {
  deepest = std::max(deepest, ++depth);
  mainWindowCommand(wParam, lParam);
  --depth;
}

void PassThroughDownloadTest::download() {
  dispatch(kCommandDownload, 0);
  worker.runPending();
}

// The worker's job runs on the test's thread while the GUI thread is back in its loop.
void PassThroughDownloadTest::whileDriveHas(int block, std::function<void()> probe) {
  tapped.beforeDrive = [block, probe](const ScsiPassThroughDirect& r) {
    if (r.Cdb[0] == kDownloadOpcode && r.Cdb[kDownloadBlockByte] == block) probe();
  };
}

void PassThroughDownloadTest::restart() {
  DownloadTest::restart();
  appState.platformKind = 1;
  chained.clear();
  tapped.beforeDrive = nullptr;
  tapped.refuse = nullptr;
  beforeHandOff = nullptr;
}

void PassThroughDownloadTest::programmingAllowancePasses() {
  clock.advance(kProgrammingAllowanceMs);
  progressTick();
  worker.runPending();
}

// The hand-off of `block` is what the question waits for: the click comes just before it.
void PassThroughDownloadTest::closeWhileOut(int block, bool yes) {
  beforeHandOff = [this, block, yes](std::uintptr_t wParam, std::intptr_t lParam) {
    if (appState.nextBlock != block) return true;
    beforeHandOff = nullptr;
    bool delivered = false;
    ui.onAsk = [&](const MessageBoxCall&) {
      EXPECT_FALSE(mainWindowMayClose()) << "a second close while the question is open";
      dispatch(wParam, lParam);
      delivered = true;
      return yes;
    };
    if (mainWindowMayClose()) mainWindowDestroyed();
    if (!delivered) dispatch(wParam, lParam);
    return false;
  };
}

void PassThroughDownloadTest::open() {
  ui.chooseFile(kImagePath);
  dispatch(kCommandOpen, 0);
}

void PassThroughDownloadTest::startUp() {
  mainWindowCreated(kMainWindow);
  controlPanelPainted();  // the first paint hands the drives found to the main window
  ui.chooseFile(kImagePath);
  dispatch(kCommandOpen, 0);
  ASSERT_EQ(appState.driveCount, 1);
  ASSERT_EQ(appState.imageOpen, 1u) << ::testing::PrintToString(ui.log());
  ui.clear();
  chained.clear();
  deepest = 0;
}

// ---- ASPI ----

// The scan goes on past the drive, to adapter 1, target 7: every block must still reach 0:1.
constexpr std::uint8_t kAspiAdapters = 2;

AspiDownloadTest::AspiDownloadTest() : drive(bus.addDrive({0, 1, 0})) {
  ports().aspi = &aspi;
  ports().heap = &heap;
  appState.adapterCount = kAspiAdapters;
  bus.settings.adapters = kAspiAdapters;
  gui.routeCommands(ui, [this](WindowHandle, std::uintptr_t wParam, std::intptr_t lParam) {
    if (lowWord(wParam) == kCommandDownload) chained.push_back({lParam, appState.nextBlock});
    mainWindowCommand(wParam, lParam);
  });
}

AspiDownloadTest::~AspiDownloadTest() {
  waitUntilQuiet(gui, aspi);
  if (HasFailure()) std::cout << "Transcript:\n" << aspi.transcript();
}

void AspiDownloadTest::whileDriveHas(int block, std::function<void()> probe) {
  aspi.beforePost = [this, block, probe](const SrbExecScsiCmd& request) {
    if (request.CDBByte[0] == kDownloadOpcode && request.CDBByte[2] == block) gui.send(probe);
  };
}

void AspiDownloadTest::restart() {
  waitUntilQuiet(gui, aspi);
  aspi.beforePost = nullptr;
  DownloadTest::restart();
  appState.adapterCount = kAspiAdapters;
  gui.send([this] { chained.clear(); });
}

void AspiDownloadTest::programmingAllowancePasses() {
  clock.advance(kProgrammingAllowanceMs);
  gui.send([] { progressTick(); });
  waitUntilQuiet(gui, aspi);
}

// The click comes just before block's completion; the question is answered once the manager has
// finished with it, its messages served while the question is open.
void AspiDownloadTest::closeWhileOut(int block, bool yes) {
  aspi.beforePost = [this, block, yes](const SrbExecScsiCmd& request) {
    if (request.CDBByte[0] != kDownloadOpcode || request.CDBByte[2] != block) return;
    aspi.beforePost = nullptr;
    const auto asking = std::make_shared<std::atomic<bool>>(false);
    gui.post([this, yes, asking] {
      ui.onAsk = [this, yes, asking](const MessageBoxCall&) {
        EXPECT_FALSE(mainWindowMayClose()) << "a second close while the question is open";
        *asking = true;
        gui.pumpUntil([this] { return aspi.idle(); });
        return yes;
      };
      if (mainWindowMayClose()) mainWindowDestroyed();
      *asking = true;
    });
    while (!*asking) std::this_thread::yield();
  };
}

void AspiDownloadTest::open() {
  ui.chooseFile(kImagePath);
  userCommand(kCommandOpen);
}

void AspiDownloadTest::startUp() {
  gui.send([] { mainWindowCreated(kMainWindow); });
  waitUntilQuiet(gui, aspi);
  ui.chooseFile(kImagePath);
  userCommand(kCommandOpen);
  ASSERT_EQ(appState.driveCount, 1);
  ASSERT_EQ(appState.selectedTarget, 1);
  ASSERT_EQ(appState.imageOpen, 1u) << ::testing::PrintToString(ui.log());
  ui.clear();
  gui.send([this] { chained.clear(); });
}

void AspiDownloadTest::download() {
  userCommand(kCommandDownload);
  waitUntilQuiet(gui, aspi);
}

void AspiDownloadTest::userCommand(std::uintptr_t wParam) {
  gui.send([wParam] { mainWindowCommand(wParam, 0); });
}

void AspiDownloadTest::userCommandLater(std::uintptr_t wParam) {
  gui.post([wParam] { mainWindowCommand(wParam, 0); });
}

}  // namespace flindor::testing
