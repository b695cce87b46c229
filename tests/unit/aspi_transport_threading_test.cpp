// The ASPI back end against the simulated manager, whose completions arrive on a thread of its
// own and reach the GUI thread through blocking sends, as under Windows 9x.
#include <cstring>
#include <iostream>
#include <thread>
#include <vector>

#include "download/download_sequencer.h"
#include "image/image_commands.h"
#include "scsi/aspi_transport.h"
#include "shell/main_window_commands.h"
#include "shell/window_messages.h"
#include "tests/fakes/core_fixture.h"
#include "tests/fakes/fake_gui_thread.h"
#include "tests/fakes/fake_heap.h"
#include "tests/fakes/sim_aspi_thread.h"

namespace flindor::testing {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Ne;

class AspiThreadingTest : public CoreTest {
 protected:
  AspiThreadingTest() {
    ports().heap = &heap;
    ports().aspi = &aspi;
    appState.adapterCount = 1;
    appState.selectedTarget = 1;  // the drive's address, as discovery leaves it
    std::strcpy(appState.imagePath, "C:\\FW\\NEW.BIN");
    files.add(appState.imagePath, image);
    ui.onMessageBox = [this](const MessageBoxCall&) {
      std::lock_guard lock(mutex);
      boxThreads.push_back(std::this_thread::get_id());
    };
    gui.routeCommands(ui, [this](WindowHandle, std::uintptr_t id, std::intptr_t lParam) {
      if (id == kCommandDownload) step(lParam);
      if (lowWord(id) == kCommandDownloadStopped) mainWindowCommand(id, lParam);
    });
  }
  ~AspiThreadingTest() override {
    waitUntilQuiet(gui, aspi);
    if (HasFailure()) std::cout << "Transcript:\n" << aspi.transcript();
  }

  // The least of the download step that moves the blocks: frame nextBlock, send it.
  void step(std::intptr_t lParam) {
    commandBlocks.push_back(lParam);
    if (appState.nextBlock > kFinalBlockNumber) return;
    appState.blockInFlight = 1;
    if (loadBlock()) aspiDownloadCommand();
  }
  void download() {
    gui.send([this] { step(0); });
    waitUntilQuiet(gui, aspi);
  }
  std::vector<std::uint8_t> imageData() const { return {image.begin() + 4, image.end()}; }

  static constexpr int kFinalBlockNumber = 63;
  std::vector<std::uint8_t> image = patternedImage("DA13");
  sim::SimulatedBus bus;
  sim::SimulatedDrive& drive = bus.addDrive({0, 1, 0});
  FakeHeap heap;
  SimAspiThread aspi{bus};
  FakeGuiThread gui;
  std::mutex mutex;
  std::vector<std::thread::id> boxThreads;
  std::vector<std::intptr_t> commandBlocks;  // GUI thread only
};

TEST_F(AspiThreadingTest, ACleanDownloadSendsEveryBlockOnceAndFlashesTheImage) {
  download();

  EXPECT_EQ(drive.flashed(), imageData());
  ASSERT_EQ(bus.transcript().size(), 64u);
  EXPECT_EQ(bus.transcript()[63], "aspi 0:1 DOWNLOAD block=63 len=2056 crc=ok -> GOOD");
  EXPECT_EQ(commandBlocks.size(), 65u);
  EXPECT_EQ(commandBlocks.back(), 64);
  EXPECT_EQ(appState.blockInFlight, 0u);
  EXPECT_EQ(aspi.postingThreads().size(), 64u);
  EXPECT_THAT(aspi.postingThreads(), Each(Ne(gui.id())));
  EXPECT_EQ(heap.sizes(), std::vector<std::size_t>(64, 8448));
  EXPECT_EQ(heap.live(), 0);
  EXPECT_EQ(heap.strayReleases(), 0);
  EXPECT_THAT(ui.messageBoxes(), IsEmpty());
}

TEST_F(AspiThreadingTest, AFailedBlockStopsTheRunAndTheNextDownloadSendsItAgain) {
  drive.planFault(10, sim::FaultKind::AspiError);    // taken by the drive, the answer lost
  drive.planFault(20, sim::FaultKind::NotAccepted);  // refused by the manager
  download();
  EXPECT_EQ(appState.nextBlock, 10);
  download();
  EXPECT_EQ(appState.nextBlock, 20);
  EXPECT_EQ(appState.blockInFlight, 0u);
  download();

  EXPECT_EQ(drive.flashed(), imageData());
  EXPECT_THAT(bus.transcript()[10], HasSubstr("lost: fault aspi-error"));
  EXPECT_THAT(bus.transcript()[11], HasSubstr("block=10 len=2052 crc=ok -> GOOD"));
  ASSERT_EQ(ui.messageBoxes().size(), 2u);
  EXPECT_EQ(ui.messageBoxes()[0].text, "ERROR  !!");
  // Both stops reach the GUI thread, which owns the run and tells the user.
  EXPECT_THAT(boxThreads, Each(gui.id()));
  EXPECT_EQ(heap.live(), 0);
}

TEST_F(AspiThreadingTest, ARequestNeverCompletedLeavesTheGuiThreadFreeAndTheGuardUp) {
  drive.planFault(20, sim::FaultKind::NoCompletion);
  download();
  EXPECT_EQ(appState.nextBlock, 20);
  EXPECT_EQ(appState.blockInFlight, 1u) << "a second Download must not send block 20 again";
  EXPECT_EQ(heap.live(), 1) << "the manager still holds the request";
  EXPECT_THAT(ui.messageBoxes(), IsEmpty());
}

}  // namespace
}  // namespace flindor::testing
