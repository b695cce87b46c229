#pragma once
// The program over the simulated bus, driven through the main window's commands as the user and
// the sequence itself drive it: what the unit tests, the fuzz harnesses and the benchmark run a
// download against. The harness stands between the program and the simulated devices (it is the
// worker, the ASPI manager and the volume devices the program is given), so it knows every block
// the program sent, and where to.
//
//   ProgramHarness run({.platform = kAspiPlatform, .run = Run::Threads});
//   run.startUp();      // discovery and Open; the log is cleared after
//   run.download();     // the user's Download; returns when all has settled
//   run.sent().size() == 64 && run.drive().flashed() == run.imageData()
//
// Options choose the platform (the ZIB drive at E:, or at adapter 0 of 2, target 1), and how the
// back end's work runs: Stepped, each pass-through job or ASPI completion on the test's thread
// when the harness steps (download() and settle() step until nothing is left; commands sent to
// the main window are handled at once, nested, as SendMessageA on the window's own thread); or
// Threads, as on Windows: the simulated ASPI manager's completion thread, or a thread per
// pass-through job, each handing its answer to a GUI thread of its own with a blocking send.
// useQuietPorts() swaps the recording ports for ones that record and allocate nothing, so that
// what a download allocates or costs is the program's own.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ports.h"
#include "scsi/scsi_pass_through_direct.h"
#include "sim/aspi_manager_model.h"
#include "sim/simulated_bus.h"
#include "sim/simulated_volumes.h"
#include "state/platform_kind.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_files.h"
#include "tests/fakes/fake_gui_thread.h"
#include "tests/fakes/fake_heap.h"
#include "tests/fakes/fake_log_files.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/fake_worker.h"
#include "tests/fakes/quiet_ports.h"
#include "tests/fakes/sim_aspi_thread.h"

namespace flindor::testing {

inline constexpr char kImagePath[] = "C:\\FW\\NEW.BIN";

enum class Run { Stepped, Threads };

struct HarnessOptions {
  std::uint8_t platform = kPassThroughPlatform;
  Run run = Run::Stepped;
  bool zibDrive = true;  // the ZIB drive at its place; without it, the test adds the devices
};

// A DownloadCommand as the program sent it: to "E:" (pass-through) or "0:1" (ASPI: adapter and
// target), with the block's data and CRC as framed, and the time-out asked (pass-through).
struct SentBlock {
  std::string device;
  int block;
  std::vector<std::uint8_t> frame;
  std::uint32_t timeoutSeconds;
};

// A chaining message as the main window received it, with nextBlock at that moment.
struct Chained {
  std::intptr_t lParam;
  int nextBlock;
  friend bool operator==(const Chained&, const Chained&) = default;
};

class ProgramHarness : public Worker, public AspiManager, public VolumeDevices {
 public:
  explicit ProgramHarness(HarnessOptions options = {});
  ~ProgramHarness() override;
  ProgramHarness(const ProgramHarness&) = delete;
  ProgramHarness& operator=(const ProgramHarness&) = delete;

  // ---- What the person and the system do ----
  // Window creation and the whole discovery with its hand-off, then Open of the image; the user
  // interface's log is cleared after.
  void startUp();
  void discover();  // window creation and the whole discovery with its hand-off only
  void open();      // File > Open of the image at kImagePath
  // The user's Download; returns when nothing is left to run.
  void download();
  // A WM_COMMAND to the main window, as any program may send it, handled on the GUI thread.
  void command(std::uintptr_t wParam, std::intptr_t lParam = 0);
  // Threads only: the same queued for the GUI thread, ahead of anything sent after it.
  void commandLater(std::uintptr_t wParam);
  // Runs `task` on the GUI thread and waits for it.
  void onGui(const std::function<void()>& task);
  // From now on the ConfirmDialog, when shown, is closed with `button` (kOkCommand: Yes, the
  // answer until told otherwise; kCancelCommand: No).
  void answerConfirm(std::uintptr_t button);
  // Another whole run: initial state, the image back on disk, the drive as just switched on;
  // the transcript goes on.
  void restart();
  // The drive's programming allowance passes: the clock moves on by it, and the progress timer
  // ticks once on the GUI thread.
  void programmingAllowancePasses();
  // Runs `probe` on the GUI thread while the drive has `block` and has not answered yet.
  void whileDriveHas(int block, std::function<void()> probe);
  // The user clicks the close box while `block` is out, and answers the question (Yes: `yes`)
  // only once the block's answer has arrived behind it; Yes closes the window.
  void closeWhileOut(int block, bool yes);
  // Stepped: runs the next waiting piece of work, a pass-through job or an ASPI completion;
  // false when nothing waits. settle() runs them until none is left (Threads: waits for quiet).
  bool step();
  void settle();
  // The program started with `arguments` (the command line after its name), as the entry point
  // starts it, to its end: discovery, the step after it, everything that runs, and the drive's
  // programming allowance. The program's exit code.
  int runCommandLine(const char* arguments);
  // The quiet ports from now on (the drive a quiet volume at E: too, unless told otherwise).
  void useQuietPorts(bool quietDrive = true);

  // ---- What the tests read ----
  sim::SimulatedDrive& drive() { return *drive_; }  // the ZIB drive at its place
  std::vector<std::string> downloadLines() const;   // the transcript's DownloadCommands
  const std::vector<SentBlock>& sent() const { return sent_; }
  std::vector<std::uint8_t> imageData() const { return {image.begin() + 4, image.end()}; }
  bool threads() const { return options_.run == Run::Threads; }
  int openVolumes() const { return volumes_.openHandles(); }
  int volumeOpens() const { return volumes_.opens(); }  // for reading and writing, ever
  int strayCloses() const { return volumes_.strayCloses(); }
  std::uint8_t platform() const { return options_.platform; }

  std::vector<std::uint8_t> image = patternedImage("DA13");
  sim::SimulatedBus bus;
  FakeUi ui;
  FakeFiles files;
  FakeSystem system;
  FakeSessionGuard session;
  FakeClock clock;
  FakeLogFiles logFiles;
  FakeHeap heap;
  QuietPorts quiet;
  std::vector<Chained> chained;  // the Downloads the program sent itself; GUI thread only
  int deepest = 0;               // how deep the sends to the main window nested
  // Before the answer to a block reaches the main window; false: the hook delivered it itself.
  std::function<bool(std::uintptr_t, std::intptr_t)> beforeAnswer;
  // A system error with which the storage stack refuses a pass-through request before the drive
  // sees it; 0 passes it on.
  std::function<std::uint32_t(const ScsiPassThroughDirect&)> refuse;
  // Runs as the drive gets `block` (on the thread the back end runs it on).
  std::function<void(int block)> beforeDrive;
  // How often the close box was taken while the close question was open: never, or a bug.
  int closesWhileAsking = 0;
  // Threads: the threads the main window's commands were sent from, by command id.
  std::map<std::uint16_t, std::vector<std::thread::id>> senders;
  std::unique_ptr<FakeGuiThread> gui;  // Threads only

 private:
  void installPorts();
  void resetProgram();
  void route(std::uintptr_t wParam, std::intptr_t lParam);
  void dispatch(std::uintptr_t wParam, std::intptr_t lParam);

  bool start(void (*job)(void*), void* context) override;
  std::uint32_t getSupportInfo() override;
  std::uint32_t sendCommand(void* request) override;
  ObjectHandle open(const char* devicePath, VolumeAccess access) override;
  bool passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                   std::uint32_t& bytesReturned, std::uint32_t& error) override;
  bool control(ObjectHandle volume, std::uint32_t code, const void* in, std::uint32_t inSize,
               void* out, std::uint32_t outSize, std::uint32_t& error) override {
    return volumes_.control(volume, code, in, inSize, out, outSize, error);
  }
  void close(ObjectHandle volume) override { volumes_.close(volume); }

  HarnessOptions options_;
  sim::SimulatedDrive* drive_ = nullptr;
  std::vector<SentBlock> sent_;
  int depth_ = 0;
  // Stepped.
  std::deque<std::pair<void (*)(void*), void*>> jobs_;
  std::deque<SrbExecScsiCmd*> completions_;
  sim::AspiManagerModel aspiModel_{bus};
  // Threads.
  std::unique_ptr<SimAspiThread> aspiThread_;
  std::unique_ptr<ThreadWorker> threadWorker_;
  sim::SimulatedVolumes volumes_{bus};
  std::map<ObjectHandle, char> letters_;
};

}  // namespace flindor::testing
