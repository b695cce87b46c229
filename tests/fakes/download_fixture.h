#pragma once
// The whole download against the simulated drive, on either back end, driven through the main
// window's commands as the user and the sequence itself drive it: discovery finds the drive,
// Open accepts the image, and each Download runs until the chain has settled.
//
//   TEST_F(PassThroughDownloadTest, ...) {
//     startUp();                       // discovery and Open; the log is cleared after
//     answerConfirm(kCancelCommand);   // the ConfirmDialog's button from now on (Yes unless told)
//     download();                      // the user's Download; returns when all has settled
//   }

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "download/download_sequencer.h"
#include "scsi/pass_through_request.h"
#include "shell/main_window_commands.h"
#include "sim/simulated_bus.h"
#include "sim/simulated_volumes.h"
#include "tests/fakes/core_fixture.h"
#include "tests/fakes/fake_gui_thread.h"
#include "tests/fakes/fake_heap.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/sim_aspi_thread.h"

namespace flindor::testing {

inline constexpr char kImagePath[] = "C:\\FW\\NEW.BIN";

// What one DownloadCommand asked the storage stack for.
struct PassThroughDownload {
  std::uint8_t block;
  std::uint32_t bytes;
  std::uint32_t timeoutSeconds;
};

// A chaining message as the main window received it, with nextBlock at that moment.
struct Chained {
  std::intptr_t lParam;
  int nextBlock;
  friend bool operator==(const Chained&, const Chained&) = default;
};

// Volume devices that pass everything on and keep what each DownloadCommand asked for.
class TappedVolumes : public VolumeDevices {
 public:
  explicit TappedVolumes(VolumeDevices& inner) : inner_(inner) {}
  ObjectHandle open(const char* devicePath) override { return inner_.open(devicePath); }
  bool passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                   std::uint32_t& bytesReturned, std::uint32_t& error) override;
  void close(ObjectHandle volume) override { inner_.close(volume); }

  std::vector<PassThroughDownload> downloads;
  // A system error with which the storage stack refuses a request before the drive sees it; 0
  // passes it on.
  std::function<std::uint32_t(const ScsiPassThroughDirect&)> refuse;
  std::function<void(const ScsiPassThroughDirect&)> beforeDrive;  // as the request goes out

 private:
  VolumeDevices& inner_;
};

// What both back ends share: the image on disk, the system port, the ConfirmDialog's answer,
// and the progress timer's ticks reaching the control panel.
class DownloadTest : public CoreTest {
 protected:
  DownloadTest();

  // From now on the ConfirmDialog, when shown, is closed with `button` (kOkCommand: Yes, the
  // answer until told otherwise; kCancelCommand: No).
  void answerConfirm(std::uintptr_t button);

 public:
  // The DownloadCommands in the bus transcript, without the INQUIRYs of discovery.
  std::vector<std::string> downloadLines() const;

  std::vector<std::uint8_t> image = patternedImage("DA13");
  std::vector<std::uint8_t> imageData() const { return {image.begin() + 4, image.end()}; }

  // The same steps on either back end, for tests that run over both.
  virtual void startUp() = 0;
  virtual void download() = 0;  // the user's Download; returns when all has settled
  virtual void open() = 0;      // the user opens the image again
  virtual sim::SimulatedDrive& simulatedDrive() = 0;
  // Runs `probe` on the GUI thread while the drive has `block` and has not answered yet.
  virtual void whileDriveHas(int block, std::function<void()> probe) = 0;
  // Another whole run in the same test: initial state, the image back on disk, the drive as
  // just switched on; the transcript goes on.
  virtual void restart();
  // A WM_COMMAND to the main window as any program may send it, handled on the GUI thread.
  virtual void deliver(std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // The drive's programming allowance passes: the clock moves on by it, and the progress timer
  // ticks once on the GUI thread.
  virtual void programmingAllowancePasses() = 0;
  // The user clicks the close box while `block` is out, and answers the question (Yes: `yes`)
  // only once the block's outcome has arrived behind it; Yes closes the window.
  virtual void closeWhileOut(int block, bool yes) = 0;

 protected:
  sim::SimulatedBus bus;
};

// Pass-through: the drive at E:. Each DownloadCommand's worker runs when the GUI thread is back
// in its loop (here: when download() pumps), and hands its outcome back with a send; commands
// sent on the GUI thread itself are handled at once, nested, as SendMessageA to a window of the
// calling thread is.
class PassThroughDownloadTest : public DownloadTest {
 protected:
  PassThroughDownloadTest();
  ~PassThroughDownloadTest() override;

  void startUp() override;
  void download() override;
  void open() override;
  sim::SimulatedDrive& simulatedDrive() override { return drive; }
  void whileDriveHas(int block, std::function<void()> probe) override;
  void restart() override;
  void deliver(std::uintptr_t wParam, std::intptr_t lParam) override { dispatch(wParam, lParam); }
  void programmingAllowancePasses() override;
  void closeWhileOut(int block, bool yes) override;

  // The main window procedure's WM_COMMAND, counting how deep the sends nest.
  void dispatch(std::uintptr_t wParam, std::intptr_t lParam);

  sim::SimulatedDrive& drive;
  sim::SimulatedVolumes volumes{bus};
  TappedVolumes tapped{volumes};
  std::vector<Chained> chained;
  int depth = 0;
  int deepest = 0;
  std::function<bool(std::uintptr_t, std::intptr_t)> beforeHandOff;  // false: taken already
};

// ASPI: the drive at adapter 0 of 2, target 1; completions come from the simulated manager's own
// thread and reach the GUI thread through blocking sends.
class AspiDownloadTest : public DownloadTest {
 protected:
  AspiDownloadTest();
  ~AspiDownloadTest() override;

  void startUp() override;
  // The user's Download on the GUI thread; returns when nothing is left to run.
  void download() override;
  void open() override;
  sim::SimulatedDrive& simulatedDrive() override { return drive; }
  void whileDriveHas(int block, std::function<void()> probe) override;
  void restart() override;
  void deliver(std::uintptr_t wParam, std::intptr_t lParam) override {
    gui.send([=] { mainWindowCommand(wParam, lParam); });
  }
  void programmingAllowancePasses() override;
  void closeWhileOut(int block, bool yes) override;
  // A main window command on the GUI thread, as the user gives it while a request is out.
  void userCommand(std::uintptr_t wParam);
  // The same, queued for the GUI thread without waiting, ahead of anything sent after it.
  void userCommandLater(std::uintptr_t wParam);

  sim::SimulatedDrive& drive;
  FakeHeap heap;
  SimAspiThread aspi{bus};
  FakeGuiThread gui;
  std::vector<Chained> chained;  // GUI thread only
};

}  // namespace flindor::testing
