// The whole download, from the user's Download command to the reboot, on both back ends against
// the simulated drive: each transition of the sequence and the commands refused on the way.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "download/download_sequencer.h"
#include "shell/control_panel.h"
#include "shell/dialog_replies.h"
#include "shell/main_window_commands.h"
#include "shell/window_messages.h"
#include "state/command_ids.h"
#include "tests/fakes/core_fixture.h"
#include "tests/fakes/harness_test.h"

namespace flindor::testing {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Ne;

const std::string kCautionBox =
    "box none [WARNING] \n  Cautions :\n  After Press Any Key, \n  Do Not operate anything for "
    "about 30 seconds.\n  It will be displayed next message of Upgrading Drive's F/W is finished "
    "0x30";
const std::string kTimerStarted = "set timer panel 1 1000";
const std::string kHandOff = "command main 17187 17187";  // a transport's answer
const std::vector<std::string> kCompletion = {
    "timer tick panel",  // the full bar, painted before the message
    "invalidate panel 35,131,341,148",
    "kill timer panel 1",
    "beep",
    "box main [SUCCESS] \n\n    !!! UPDATE COMPLETE !!!\n\n!!! THIS WILL REBOOT YOUR PC !!!       "
    "0x40",
    "quit 0"};
const std::vector<std::string> kRebootRequested = {
    "open token", "lookup shutdown privilege", "enable privilege 112 19", "last error",
    "close 112",  "exit windows 6 0"};

std::vector<std::string> chainCommands(int first, int last) {
  std::vector<std::string> lines;
  for (int block = first; block <= last; ++block) {
    lines.push_back("command main 40003 " + std::to_string(block));
  }
  return lines;
}

std::vector<Chained> chainOf(int first, int last) {
  std::vector<Chained> chain;
  for (int block = first; block <= last; ++block) chain.push_back({block, block});
  return chain;
}

// The drive's transcript of a clean run: every block once, in order, the final one longer.
std::vector<std::string> cleanTranscript(const std::string& where) {
  std::vector<std::string> lines;
  for (int block = 0; block < 64; ++block) {
    lines.push_back(where + " DOWNLOAD block=" + std::to_string(block) +
                    (block == 63 ? " len=2056" : " len=2052") + " crc=ok -> GOOD");
  }
  return lines;
}

template <class... Parts>
std::vector<std::string> concat(const Parts&... parts) {
  std::vector<std::string> all;
  (all.insert(all.end(), parts.begin(), parts.end()), ...);
  return all;
}

// The ASPI back end starts the timer on the GUI thread after block 63 is submitted, while the
// completion may already have sent the chaining message: only its place before the completion's
// tick is fixed. Takes the line out and checks it is there, once.
std::vector<std::string> withoutTimerStart(std::vector<std::string> log) {
  const auto timer = std::find(log.begin(), log.end(), kTimerStarted);
  EXPECT_NE(timer, log.end()) << "the progress timer was never started";
  if (timer == log.end()) return log;
  EXPECT_EQ(std::count(log.begin(), log.end(), kTimerStarted), 1);
  const auto tick = std::find(log.begin(), log.end(), "timer tick panel");
  EXPECT_LT(timer - log.begin(), tick - log.begin());
  log.erase(timer);
  return log;
}

// The log without the transports' answers, each of which must come right before a chaining
// message or a stop's message.
std::vector<std::string> withoutHandOffs(const std::vector<std::string>& log) {
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < log.size(); ++i) {
    if (log[i] != kHandOff) {
      rest.push_back(log[i]);
    } else {
      EXPECT_TRUE(i + 1 < log.size() && log[i + 1] != kHandOff) << "a hand-off that led nowhere";
    }
  }
  return rest;
}

void userCommands(const std::function<void(std::uintptr_t)>& give) {
  for (std::uintptr_t id : {kCommandDownload, kCommandExit, kCommandOpen, kCommandAbout}) give(id);
}

// ---- Pass-through: each block on a worker, its outcome handed back to the GUI thread ----

TEST_F(PassThroughDownloadTest, ACleanRunFlashesTheImageOneHandOffAtATimeNeverNestingDeep) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  int cautions = 0;
  std::size_t sentAtCaution = 0;
  Flag finalBusyAtCaution = 1;
  // The box has no owner: the main window stays usable while it is open, yet nothing it is
  // given then may send the final block twice or leave the download.
  ui.onMessageBox = [&](const MessageBoxCall& box) {
    if (box.caption != "WARNING" || cautions++ > 0) return;
    sentAtCaution = sent().size();
    finalBusyAtCaution = appState.finalBlockBusy;
    userCommands([&](std::uintptr_t id) { command(id); });
  };
  download();

  EXPECT_EQ(downloadLines(), cleanTranscript("volume E:"));
  ASSERT_EQ(sent().size(), 64u);
  for (int block = 0; block < 64; ++block) {
    const SentBlock& out = sent()[block];
    EXPECT_EQ(out.block, block);
    EXPECT_EQ(out.frame.size(), block == 63 ? 2056u : 2052u) << block;
    EXPECT_EQ(out.timeoutSeconds, block == 63 ? 200u : 2u) << block;
  }
  EXPECT_EQ(drive().flashed(), imageData());
  EXPECT_THAT(withoutHandOffs(ui.log()),
              ElementsAreArray(concat(std::vector<std::string>{"dialog 120 main"},
                                      chainCommands(1, 63), std::vector{kCautionBox, kTimerStarted},
                                      chainCommands(64, 64), kCompletion)));
  EXPECT_EQ(cautions, 1);
  EXPECT_EQ(sentAtCaution, 63u) << "the caution comes before the final block is sent";
  EXPECT_EQ(finalBusyAtCaution, 0u);
  EXPECT_EQ(chained, chainOf(1, 64));
  EXPECT_EQ(appState.progressStep, 34);
  EXPECT_EQ(appState.nextBlock, 64);
  EXPECT_THAT(system.log(), ElementsAreArray(kRebootRequested));
  EXPECT_EQ(openVolumes(), 0);

  // Each block starts afresh from the GUI thread's loop: the worker's hand-off, the chaining
  // message inside it, and the user's commands given in the caution box's loop inside that.
  // Wine stops calling window procedures past 64 nested calls.
  EXPECT_EQ(deepest, 3);
}

TEST_F(PassThroughDownloadTest, NothingIsSentWithoutAnImageADriveAndAYes) {
  appState.runPhase = RunPhase::Idle;  // as if discovery had found nothing
  download();                          // no image: a beep and the message, even with no drive
  appState.imageOpen = 1;
  std::strcpy(appState.imagePath, kImagePath);
  download();  // an image but no drive: nothing at all
  EXPECT_THAT(withoutHandOffs(ui.log()),
              ElementsAre("beep", "box main [WARNING] FLASH FILE NOT OPEN!! 0x10"));

  ASSERT_NO_FATAL_FAILURE(startUp());
  answerConfirm(kCancelCommand);
  download();
  download();
  EXPECT_THAT(withoutHandOffs(ui.log()), ElementsAre("dialog 120 main", "dialog 120 main"));
  EXPECT_EQ(appState.downloadConfirmed, 0u);
  EXPECT_THAT(downloadLines(), IsEmpty());

  answerConfirm(kOkCommand);
  download();
  EXPECT_EQ(downloadLines().size(), 64u);
  const auto log = ui.log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "dialog 120 main"), 3);
}

TEST_F(PassThroughDownloadTest,
       AFailedBlockStopsTheRunUntilTheNextDownloadAndAFailedFinalOneCounts) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  drive().planFault(10, sim::FaultKind::IoctlFails);  // the drive took it; the answer was lost
  drive().planFault(63, sim::FaultKind::DropOff);     // it programs its flash, then leaves the bus
  download();
  EXPECT_THAT(ui.boxLog(), ElementsAre("box none [Info]  Download File Write Error : 10 0x30",
                                       "box none [WARNING] FAIL TO Write Download FILE 0x30"));
  EXPECT_EQ(appState.nextBlock, 10);
  EXPECT_EQ(appState.runPhase, RunPhase::Stopped);
  EXPECT_EQ(appState.finalBlockBusy, 0u);
  // Stopped, the download is still committed: the window cannot be left or its image changed.
  ui.clear();
  command(kCommandExit);
  command(kCommandOpen);
  command(kCommandAbout);
  EXPECT_THAT(withoutHandOffs(ui.log()), IsEmpty());

  chained.clear();
  download();  // block 10 again, without asking, and on to the end
  // The drive left the bus: it may be programming still, so the completion waits.
  EXPECT_THAT(system.log(), IsEmpty());
  programmingAllowancePasses();
  ASSERT_EQ(sent().size(), 65u);
  EXPECT_EQ(sent()[11].block, 10);
  EXPECT_THAT(downloadLines().back(),
              HasSubstr("block=63 len=2056 crc=ok -> GOOD, then no response"));
  EXPECT_EQ(drive().flashed(), imageData());
  EXPECT_THAT(ui.boxLog(), ElementsAre(kCautionBox, kCompletion[4]));
  EXPECT_EQ(chained, chainOf(11, 64));
  EXPECT_THAT(system.log(), ElementsAreArray(kRebootRequested));
}

TEST_F(PassThroughDownloadTest, AnImageUnreadableForTheFinalBlockStopsThereBeforeTheProgressBar) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  whileDriveHas(62, [&] { files.lock(kImagePath); });  // another program takes the file
  download();
  EXPECT_THAT(ui.boxLog(), ElementsAre("box panel [WARNING] FAIL TO OPEN FILE 0x30"));
  EXPECT_EQ(sent().size(), 63u);
  EXPECT_EQ(appState.nextBlock, 63);
  EXPECT_EQ(appState.finalBlockBusy, 0u);
  EXPECT_EQ(appState.progressMode, 0u);
  EXPECT_EQ(appState.runPhase, RunPhase::Stopped);

  files.unlock(kImagePath);
  ui.clear();
  download();
  EXPECT_THAT(ui.boxLog(), ElementsAre(kCautionBox, kCompletion[4]));
  EXPECT_EQ(sent().size(), 64u);
  EXPECT_EQ(drive().flashed(), imageData());
}

// ---- ASPI: each block started by the previous one's completion, on the manager's thread ----

TEST_F(AspiDownloadTest, ACleanRunFlashesTheImageOneCompletionAtATime) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  // While blocks 20 and 63 are out, the GUI thread is free: the user's commands must neither
  // send a block again nor leave the download.
  const std::size_t scanAllocations = heap.sizes().size();
  std::atomic<int> outstandingCommands = 0;
  beforeDrive = [&](int block) {
    if (block != 20 && block != 63) return;
    userCommands([&](std::uintptr_t id) { command(id); });
    ++outstandingCommands;
  };
  download();

  EXPECT_EQ(outstandingCommands, 2);
  EXPECT_EQ(downloadLines(), cleanTranscript("aspi 0:1"));
  EXPECT_EQ(drive().flashed(), imageData());
  // No caution on this back end.
  EXPECT_THAT(withoutHandOffs(withoutTimerStart(ui.log())),
              ElementsAreArray(concat(std::vector<std::string>{"dialog 120 main"},
                                      chainCommands(1, 64), kCompletion)));
  EXPECT_EQ(chained, chainOf(1, 64));
  // Each answer came from the manager's thread, and the next block went from the GUI thread.
  EXPECT_EQ(senders[kCommandBlockAnswered].size(), 64u);
  EXPECT_THAT(senders[kCommandBlockAnswered], Each(Ne(gui->id())));
  EXPECT_THAT(senders[kCommandDownload], Each(gui->id()));
  EXPECT_EQ(appState.progressStep, 34);
  EXPECT_EQ(appState.finalBlockBusy, 1u);
  EXPECT_THAT(system.log(), ElementsAreArray(kRebootRequested));
  // One request record a block, none for the data, all given back.
  const auto sizes = heap.sizes();
  EXPECT_EQ(std::vector(sizes.begin() + static_cast<std::ptrdiff_t>(scanAllocations), sizes.end()),
            std::vector<std::size_t>(64, 8448));
  EXPECT_EQ(heap.live(), 0);
  EXPECT_EQ(heap.strayReleases(), 0);
}

TEST_F(AspiDownloadTest, AFailedBlockStopsTheRunUntilTheNextDownloadAndAFailedFinalOneForGood) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  drive().planFault(10, sim::FaultKind::AspiError);
  drive().planFault(63, sim::FaultKind::AspiError);
  download();
  const std::string kError = "box panel [WARNING] ERROR  !! 0x30";
  EXPECT_THAT(ui.boxLog(), ElementsAre(kError));
  EXPECT_EQ(appState.nextBlock, 10);
  EXPECT_EQ(appState.runPhase, RunPhase::Stopped);

  ui.clear();
  download();  // block 10 again, without asking
  // The final block failed after the manager took it: the drive may be programming, so the bar
  // goes on and the guards stay up for the programming allowance.
  EXPECT_THAT(ui.boxLog(), ElementsAre(kError));
  EXPECT_EQ(sent().size(), 65u);
  EXPECT_EQ(appState.nextBlock, 63);
  EXPECT_EQ(appState.finalBlockBusy, 1u);
  EXPECT_EQ(appState.progressMode, 1u);

  // Whether the drive programmed is unknown: Download does nothing from here.
  ui.clear();
  download();
  EXPECT_EQ(downloadLines().size(), 65u);
  EXPECT_THAT(ui.log(), IsEmpty());
  EXPECT_EQ(session.held(), 1);
  programmingAllowancePasses();
  EXPECT_THAT(ui.log(), ElementsAre("invalidate panel 35,131,53,148", "kill timer panel 1"));
  EXPECT_EQ(session.held(), 0);
  EXPECT_THAT(system.log(), IsEmpty());
  EXPECT_EQ(heap.live(), 0);
}

TEST_F(AspiDownloadTest, EachStopIsToldOnTheGuiThreadAndTheNextDownloadSendsTheBlockAgain) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  std::mutex mutex;
  std::vector<std::thread::id> boxThreads;
  ui.onMessageBox = [&](const MessageBoxCall&) {
    std::lock_guard lock(mutex);
    boxThreads.push_back(std::this_thread::get_id());
  };
  drive().planFault(10, sim::FaultKind::AspiError);    // taken by the drive, the answer lost
  drive().planFault(20, sim::FaultKind::NotAccepted);  // refused by the manager
  download();
  EXPECT_EQ(appState.nextBlock, 10);
  download();
  EXPECT_EQ(appState.nextBlock, 20);
  download();
  EXPECT_EQ(drive().flashed(), imageData());
  EXPECT_THAT(downloadLines()[10], HasSubstr("lost: fault aspi-error"));
  EXPECT_THAT(downloadLines()[11], HasSubstr("block=10 len=2052 crc=ok -> GOOD"));
  // Both stops reach the GUI thread, which owns the run and tells the user.
  const std::string kError = "box panel [WARNING] ERROR  !! 0x30";
  EXPECT_THAT(ui.boxLog(), ElementsAre(kError, kError, kCompletion[4]));
  EXPECT_EQ(boxThreads.size(), 3u);  // the two stops and the completion
  EXPECT_THAT(boxThreads, Each(gui->id()));
  EXPECT_EQ(heap.live(), 0);
}

TEST_F(AspiDownloadTest, ARequestNeverCompletedLeavesTheGuiThreadFreeAndNothingSentTwice) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  drive().planFault(20, sim::FaultKind::NoCompletion);
  download();
  download();  // a second Download must not send block 20 again
  EXPECT_EQ(sent().size(), 21u);
  EXPECT_EQ(appState.nextBlock, 20);
  EXPECT_EQ(appState.runPhase, RunPhase::BlockOut);
  EXPECT_EQ(heap.live(), 1) << "the manager still holds the request";
  EXPECT_THAT(ui.messageBoxes(), IsEmpty());
}

// ---- Completion ----

class FinishDownloadTest : public CoreTest {
 protected:
  FinishDownloadTest() {
    addDrive("ZIB     KMX4820T        ", "DA12");
    appState.imageOpen = 1;
    appState.downloadConfirmed = 1;
    appState.finalBlockBusy = 1;
    appState.progressMode = 1;
    appState.nextBlock = 64;
    appState.runPhase = RunPhase::Answered;
    ui.onTimerTick = [](WindowHandle) { progressTick(); };
  }
};

TEST_F(FinishDownloadTest, FillsTheBarTellsTheUserThenAsksForTheRebootUntilOneIsTaken) {
  struct Case {
    std::uint8_t stepBefore;
    bool tokenOpens;
    std::uint32_t lastError;
    bool rebootTaken;
  };
  const Case cases[] = {
      {1, true, 0, true},       // the timer never ticked
      {20, true, 1300, false},  // not all privileges assigned: asked once more; reboot refused
      {34, false, 0, true},     // no token, as on Windows 9x: the reboot is asked for all the same
  };
  for (const Case& c : cases) {
    FakeSystem system;
    system.tokenOpens = c.tokenOpens;
    system.lastErrorValue = c.lastError;
    system.exitWindowsSucceeds = c.rebootTaken;
    ports().system = &system;
    std::size_t systemCallsAtMessage = 0;
    ui.onMessageBox = [&](const MessageBoxCall&) { systemCallsAtMessage = system.log().size(); };
    ui.clear();
    appState.progressStep = c.stepBefore;
    appState.runPhase = RunPhase::Answered;  // each case is a run of its own

    mainWindowCommand(kCommandDownload, 64);

    EXPECT_EQ(appState.progressStep, 34) << int(c.stepBefore);
    EXPECT_THAT(ui.log(), ElementsAreArray(kCompletion)) << int(c.stepBefore);
    EXPECT_EQ(systemCallsAtMessage, 0u) << "privilege and reboot wait for the user";
    std::vector<std::string> calls{"open token"};
    if (c.tokenOpens) {
      calls.insert(calls.end(),
                   {"lookup shutdown privilege", "enable privilege 112 19", "last error"});
      if (c.lastError != 0) calls.push_back("enable privilege 112 19");
      calls.push_back("close 112");
    }
    calls.insert(calls.end(), c.rebootTaken ? 1 : 100, "exit windows 6 0");
    EXPECT_THAT(system.log(), ElementsAreArray(calls)) << int(c.stepBefore);
    ui.onMessageBox = nullptr;
    ports().system = nullptr;
  }
}

}  // namespace
}  // namespace flindor::testing
