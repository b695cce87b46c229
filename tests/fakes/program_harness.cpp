#include "tests/fakes/program_harness.h"

#include <atomic>
#include <thread>

#include "download/download_sequencer.h"
#include "download/run_guard.h"
#include "download/run_log.h"
#include "download/run_result.h"
#include "image/image_layout.h"
#include "scsi/aspi_request.h"
#include "scsi/pass_through_request.h"
#include "scsi/pass_through_transport.h"
#include "scsi/scsi_commands.h"
#include "shell/command_line.h"
#include "shell/control_panel.h"
#include "shell/dialog_replies.h"
#include "shell/discovery_report.h"
#include "shell/main_window_commands.h"
#include "shell/unattended_run.h"
#include "shell/window_messages.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "state/run_mode.h"

namespace flindor::testing {
namespace {

// The scan goes on past the drive, to adapter 1, target 7: every block must still reach 0:1.
constexpr std::uint8_t kAspiAdapters = 2;

}  // namespace

ProgramHarness::ProgramHarness(HarnessOptions options) : quiet(image), options_(options) {
  if (options_.zibDrive) {
    drive_ = options_.platform == kPassThroughPlatform ? &bus.addDrive({std::nullopt, 0, 'E'})
                                                       : &bus.addDrive({0, 1, 0});
  }
  bus.settings.adapters = kAspiAdapters;
  bus.settings.sleep = [this](std::uint32_t ms) { clock.advance(ms); };  // the drive's time
  if (threads()) {
    gui = std::make_unique<FakeGuiThread>();
    if (options_.platform == kPassThroughPlatform) {
      threadWorker_ = std::make_unique<ThreadWorker>();
    } else {
      aspiThread_ = std::make_unique<SimAspiThread>(bus);
      // Set once, before anything is outstanding; the hook it calls is set while nothing is.
      aspiThread_->beforePost = [this](const SrbExecScsiCmd& finished) {
        if (beforeDrive && finished.CDBByte[0] == kDownloadOpcode) {
          beforeDrive(finished.CDBByte[kDownloadBlockByte]);
        }
      };
    }
  }
  ui.onCommand = [this](WindowHandle, std::uintptr_t wParam, std::intptr_t lParam) {
    route(wParam, lParam);
  };
  ui.onTimerTick = [](WindowHandle) { progressTick(); };
  files.add(kImagePath, image);
  answerConfirm(kOkCommand);
  resetProgram();
  installPorts();
}

ProgramHarness::~ProgramHarness() {
  if (threads()) settle();
  // A request the harness never completed stays with the manager; the state goes with it.
  ports() = Ports{};
  runMode = RunMode{};
}

void ProgramHarness::installPorts() {
  ports() = Ports{.ui = &ui,
                  .files = &files,
                  .aspi = this,
                  .heap = &heap,
                  .volumes = this,
                  .system = &system,
                  .worker = this,
                  .session = &session,
                  .clock = &clock,
                  .logFiles = &logFiles};
}

void ProgramHarness::resetProgram() {
  resetAppState();
  runMode = RunMode{};
  // A new run of the program: what an earlier one held of the drive went with it.
  passThroughForgetDrive();
  volumes_.closeAll();
  appState.mainWindow = kMainWindow;
  appState.controlPanel = kControlPanel;
  appState.driveCombo = kDriveCombo;
  appState.platformKind = options_.platform;
  appState.adapterCount = kAspiAdapters;
}

// ---- What the person and the system do ----

void ProgramHarness::discover() {
  onGui([] { mainWindowCreated(kMainWindow); });
  settle();
  if (options_.platform == kPassThroughPlatform) onGui([] { controlPanelPainted(); });
}

void ProgramHarness::startUp() {
  discover();
  open();
  ui.clear();
  onGui([this] { chained.clear(); });
  deepest = 0;
}

void ProgramHarness::open() {
  ui.chooseFile(kImagePath);
  command(kCommandOpen);
}

void ProgramHarness::download() {
  command(kCommandDownload);
  settle();
}

void ProgramHarness::command(std::uintptr_t wParam, std::intptr_t lParam) {
  onGui([=, this] { dispatch(wParam, lParam); });
}

void ProgramHarness::commandLater(std::uintptr_t wParam) {
  gui->post([wParam] { mainWindowCommand(wParam, 0); });
}

void ProgramHarness::onGui(const std::function<void()>& task) {
  if (gui) {
    gui->send(task);
  } else {
    task();
  }
}

void ProgramHarness::answerConfirm(std::uintptr_t button) {
  ui.onDialog[kConfirmDialogTemplate] = [button] { confirmDialogReply(kWmCommand, button); };
}

void ProgramHarness::restart() {
  settle();
  beforeDrive = nullptr;
  beforeAnswer = nullptr;
  refuse = nullptr;
  onGui([this] {
    resetProgram();
    chained.clear();
  });
  ui.clear();
  ui.onMessageBox = nullptr;
  ui.onAsk = nullptr;
  ui.onDestroy = nullptr;
  ui.posted.clear();
  files.inject = nullptr;
  files.add(kImagePath, image);
  logFiles.onAppend = nullptr;
  system.clearLog();
  session.reset();
  if (drive_ != nullptr) drive_->reset();
  answerConfirm(kOkCommand);
  sent_.clear();
  deepest = 0;
}

int ProgramHarness::runCommandLine(const char* arguments) {
  readCommandLine(arguments);
  if (runMode.kind == RunKind::Usage) return showUsage();
  logStart();
  if (runMode.kind == RunKind::NotUnderstood) return exitCodeFor(kExitNotUnderstood);
  // The window's WM_DESTROY, as Windows sends it: a run that ends closes its window.
  ui.onDestroy = [this](WindowHandle window) {
    if (window == kMainWindow) onGui([] { mainWindowDestroyed(); });
  };
  discover();
  // The step after discovery comes from the message loop.
  const auto posted = ui.posted;
  for (const auto& [wParam, lParam] : posted) {
    if (lowWord(wParam) == kCommandUpdateVerdict) command(wParam, lParam);
  }
  settle();
  programmingAllowancePasses();
  return programExitCode(0);
}

void ProgramHarness::programmingAllowancePasses() {
  clock.advance(kProgrammingAllowanceMs);
  onGui([] { progressTick(); });
  settle();
}

void ProgramHarness::whileDriveHas(int block, std::function<void()> probe) {
  beforeDrive = [this, block, probe](int at) {
    if (at == block) onGui(probe);
  };
}

void ProgramHarness::closeWhileOut(int block, bool yes) {
  // Each hook acts once; it stays installed until the next restart.
  const auto done = std::make_shared<bool>(false);
  if (!threads()) {
    // The answer to `block` is what the question waits for: the click comes just before it.
    beforeAnswer = [this, block, yes, done](std::uintptr_t wParam, std::intptr_t lParam) {
      if (*done || appState.nextBlock != block) return true;
      *done = true;
      bool delivered = false;
      ui.onAsk = [&](const MessageBoxCall&) {
        if (mainWindowMayClose()) ++closesWhileAsking;
        dispatch(wParam, lParam);
        delivered = true;
        return yes;
      };
      if (mainWindowMayClose()) mainWindowDestroyed();
      if (!delivered) dispatch(wParam, lParam);
      return false;
    };
    return;
  }
  // The click comes just before the completion; the question is answered once the manager has
  // finished with it, its messages served while the question is open.
  beforeDrive = [this, block, yes, done](int at) {
    if (*done || at != block) return;
    *done = true;
    const auto asking = std::make_shared<std::atomic<bool>>(false);
    gui->post([this, yes, asking] {
      ui.onAsk = [this, yes, asking](const MessageBoxCall&) {
        if (mainWindowMayClose()) ++closesWhileAsking;
        *asking = true;
        gui->pumpUntil([this] { return aspiThread_->idle(); });
        return yes;
      };
      if (mainWindowMayClose()) mainWindowDestroyed();
      *asking = true;
    });
    while (!*asking) std::this_thread::yield();
  };
}

bool ProgramHarness::step() {
  if (!jobs_.empty()) {
    const auto [job, context] = jobs_.front();
    jobs_.pop_front();
    job(context);
    return true;
  }
  if (!completions_.empty()) {
    SrbExecScsiCmd* request = completions_.front();
    completions_.pop_front();
    if (aspiModel_.finish(request)) {
      if (beforeDrive && request->CDBByte[0] == kDownloadOpcode) {
        beforeDrive(request->CDBByte[kDownloadBlockByte]);
      }
      sim::AspiManagerModel::post(request);
    }
    return true;
  }
  return false;
}

void ProgramHarness::settle() {
  if (!threads()) {
    while (step()) {
    }
    return;
  }
  if (aspiThread_) {
    waitUntilQuiet(*gui, *aspiThread_);
    return;
  }
  // Each job ends after its answer, which started the next.
  threadWorker_->joinAll();
  gui->waitUntilIdle();
}

void ProgramHarness::useQuietPorts(bool quietDrive) {
  quiet.install(kMainWindow, quietDrive ? nullptr : this);
}

// ---- What the tests read ----

std::vector<std::string> ProgramHarness::downloadLines() const {
  std::vector<std::string> lines;
  for (const std::string& line : bus.transcript()) {
    if (line.find("DOWNLOAD") != std::string::npos) lines.push_back(line);
  }
  return lines;
}

// ---- Between the program and the devices ----

void ProgramHarness::route(std::uintptr_t wParam, std::intptr_t lParam) {
  if (threads()) senders[lowWord(wParam)].push_back(std::this_thread::get_id());
  onGui([=, this] {
    if (lowWord(wParam) == kCommandDownload) chained.push_back({lParam, appState.nextBlock});
    if (lowWord(wParam) == kCommandBlockAnswered && beforeAnswer && !beforeAnswer(wParam, lParam)) {
      return;
    }
    dispatch(wParam, lParam);
  });
}

// The main window procedure's WM_COMMAND, counting how deep the sends nest.
void ProgramHarness::dispatch(std::uintptr_t wParam, std::intptr_t lParam) {
  deepest = std::max(deepest, ++depth_);
  mainWindowCommand(wParam, lParam);
  --depth_;
}

bool ProgramHarness::start(void (*job)(void*), void* context) {
  if (threadWorker_) return threadWorker_->start(job, context);
  jobs_.emplace_back(job, context);
  return true;
}

std::uint32_t ProgramHarness::getSupportInfo() {
  return aspiThread_ ? aspiThread_->getSupportInfo() : aspiModel_.supportInfo();
}

std::uint32_t ProgramHarness::sendCommand(void* request) {
  auto* srb = static_cast<SrbExecScsiCmd*>(request);
  if (srb->SRB_Cmd == SC_EXEC_SCSI_CMD && srb->CDBByte[0] == kDownloadOpcode) {
    sent_.push_back({std::to_string(srb->SRB_HaId) + ":" + std::to_string(srb->SRB_Target),
                     srb->CDBByte[kDownloadBlockByte],
                     {srb->SRB_BufPointer, srb->SRB_BufPointer + srb->SRB_BufLen},
                     0});
  }
  if (aspiThread_) return aspiThread_->sendCommand(request);
  const std::uint32_t status = aspiModel_.submit(srb);
  if (status == SS_PENDING) completions_.push_back(srb);
  return status;
}

ObjectHandle ProgramHarness::open(const char* devicePath, VolumeAccess access) {
  const ObjectHandle volume = volumes_.open(devicePath, access);
  if (volume != kInvalidHandle) letters_[volume] = devicePath[4];
  return volume;
}

bool ProgramHarness::passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                                 std::uint32_t& bytesReturned, std::uint32_t& error) {
  const auto& r = *static_cast<const ScsiPassThroughDirect*>(request);
  if (r.Cdb[0] == kDownloadOpcode) {
    const auto* data = static_cast<const std::uint8_t*>(r.DataBuffer);
    sent_.push_back({std::string(1, letters_[volume]) + ":",
                     r.Cdb[kDownloadBlockByte],
                     {data, data + r.DataTransferLength},
                     r.TimeOutValue});
    if (beforeDrive) beforeDrive(r.Cdb[kDownloadBlockByte]);
  }
  if (refuse) {
    if (const std::uint32_t code = refuse(r)) {
      error = code;
      return false;
    }
  }
  return volumes_.passThrough(volume, request, size, bytesReturned, error);
}

}  // namespace flindor::testing
