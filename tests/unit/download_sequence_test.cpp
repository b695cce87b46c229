// The whole download, from the user's Download command to the reboot, on both back ends against
// the simulated drive: each transition of the sequence and the commands refused on the way.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "download/download_sequencer.h"
#include "shell/control_panel.h"
#include "shell/dialog_replies.h"
#include "shell/main_window_commands.h"
#include "shell/window_messages.h"
#include "tests/fakes/download_fixture.h"

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
const std::string kHandOff = "command main 17187 17187";  // the pass-through worker is done
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

// The log without the pass-through worker's hand-offs, each of which must come right before a
// chaining message or a stop's message.
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
    sentAtCaution = tapped.downloads.size();
    finalBusyAtCaution = appState.finalBlockBusy;
    userCommands([&](std::uintptr_t id) { dispatch(id, 0); });
  };
  download();

  EXPECT_EQ(downloadLines(), cleanTranscript("volume E:"));
  ASSERT_EQ(tapped.downloads.size(), 64u);
  for (int block = 0; block < 64; ++block) {
    const PassThroughDownload& sent = tapped.downloads[block];
    EXPECT_EQ(sent.block, block);
    EXPECT_EQ(sent.bytes, block == 63 ? 2056u : 2052u) << block;
    EXPECT_EQ(sent.timeoutSeconds, block == 63 ? 200u : 2u) << block;
  }
  EXPECT_EQ(drive.flashed(), imageData());
  EXPECT_THAT(withoutHandOffs(ui.log()),
              ElementsAreArray(concat(std::vector<std::string>{"dialog 120 main"},
                                      chainCommands(1, 63), std::vector{kCautionBox, kTimerStarted},
                                      chainCommands(64, 64), kCompletion)));
  EXPECT_EQ(worker.started, 64);
  EXPECT_EQ(cautions, 1);
  EXPECT_EQ(sentAtCaution, 63u) << "the caution comes before the final block is sent";
  EXPECT_EQ(finalBusyAtCaution, 0u);
  EXPECT_EQ(chained, chainOf(1, 64));
  EXPECT_EQ(appState.progressStep, 34);
  EXPECT_EQ(appState.nextBlock, 64);
  EXPECT_THAT(system.log(), ElementsAreArray(kRebootRequested));
  EXPECT_EQ(volumes.openHandles(), 0);

  // Each block starts afresh from the GUI thread's loop: the worker's hand-off, the chaining
  // message inside it, and the user's commands given in the caution box's loop inside that.
  // Wine stops calling window procedures past 64 nested calls.
  EXPECT_EQ(deepest, 3);
}

TEST_F(PassThroughDownloadTest, NothingIsSentWithoutAnImageADriveAndAYes) {
  appState.discoveryFinished = 1;  // as if discovery had found nothing
  download();                      // no image: a beep and the message, even with no drive
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
  drive.planFault(10, sim::FaultKind::IoctlFails);  // the drive took it; the answer was lost
  drive.planFault(63, sim::FaultKind::DropOff);     // it programs its flash, then leaves the bus
  download();
  EXPECT_THAT(
      withoutHandOffs(ui.log()),
      ElementsAreArray(
          concat(std::vector<std::string>{"dialog 120 main"}, chainCommands(1, 10),
                 std::vector<std::string>{"box none [Info]  Download File Write Error : 10 0x30",
                                          "box none [WARNING] FAIL TO Write Download FILE 0x30"})));
  EXPECT_EQ(appState.nextBlock, 10);
  EXPECT_EQ(appState.blockInFlight, 0u);
  EXPECT_EQ(appState.finalBlockBusy, 0u);
  // Stopped, the download is still committed: the window cannot be left or its image changed.
  ui.clear();
  dispatch(kCommandExit, 0);
  dispatch(kCommandOpen, 0);
  dispatch(kCommandAbout, 0);
  EXPECT_THAT(withoutHandOffs(ui.log()), IsEmpty());

  chained.clear();
  download();  // block 10 again, without asking, and on to the end
  // The drive left the bus: it may be programming still, so the completion waits.
  EXPECT_THAT(system.log(), IsEmpty());
  programmingAllowancePasses();
  ASSERT_EQ(tapped.downloads.size(), 65u);
  EXPECT_EQ(tapped.downloads[11].block, 10);
  const auto lines = downloadLines();
  EXPECT_THAT(lines[11], HasSubstr("block=10 len=2052 crc=ok -> GOOD"));
  EXPECT_THAT(lines.back(), HasSubstr("block=63 len=2056 crc=ok -> GOOD, then no response"));
  EXPECT_EQ(drive.flashed(), imageData());
  EXPECT_THAT(
      withoutHandOffs(ui.log()),
      ElementsAreArray(concat(chainCommands(11, 63), std::vector{kCautionBox, kTimerStarted},
                              std::vector<std::string>{"invalidate panel 35,131,53,148"},
                              chainCommands(64, 64), kCompletion)));
  EXPECT_EQ(chained, chainOf(11, 64));
  EXPECT_THAT(system.log(), ElementsAreArray(kRebootRequested));
}

TEST_F(PassThroughDownloadTest, AnImageUnreadableForTheFinalBlockStopsThereBeforeTheProgressBar) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  const auto route = ui.onCommand;
  ui.onCommand = [&, route](WindowHandle window, std::uintptr_t id, std::intptr_t lParam) {
    if (lParam == 63) files.lock(kImagePath);  // another program takes the file
    route(window, id, lParam);
  };
  download();
  EXPECT_THAT(withoutHandOffs(ui.log()),
              ElementsAreArray(
                  concat(std::vector<std::string>{"dialog 120 main"}, chainCommands(1, 63),
                         std::vector<std::string>{"box panel [WARNING] FAIL TO OPEN FILE 0x30"})));
  EXPECT_EQ(downloadLines().size(), 63u);
  EXPECT_EQ(appState.nextBlock, 63);
  EXPECT_EQ(appState.finalBlockBusy, 0u);
  EXPECT_EQ(appState.progressMode, 0u);
  EXPECT_EQ(appState.blockInFlight, 0u);

  files.unlock(kImagePath);
  ui.clear();
  download();
  EXPECT_THAT(withoutHandOffs(ui.log()),
              ElementsAreArray(concat(std::vector{kCautionBox, kTimerStarted},
                                      chainCommands(64, 64), kCompletion)));
  EXPECT_EQ(downloadLines(), cleanTranscript("volume E:"));
  EXPECT_EQ(drive.flashed(), imageData());
}

// ---- ASPI: each block started by the previous one's completion, on the manager's thread ----

TEST_F(AspiDownloadTest, ACleanRunFlashesTheImageOneCompletionAtATime) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  // While blocks 20 and 63 are out, the GUI thread is free: the user's commands must neither
  // send a block again nor leave the download.
  std::atomic<int> outstandingCommands = 0;
  aspi.beforePost = [&](const SrbExecScsiCmd& request) {
    const std::uint8_t block = request.CDBByte[2];
    if (request.CDBByte[0] != 0xFE || (block != 20 && block != 63)) return;
    userCommands([&](std::uintptr_t id) { userCommand(id); });
    ++outstandingCommands;
  };
  download();

  EXPECT_EQ(outstandingCommands, 2);
  EXPECT_EQ(downloadLines(), cleanTranscript("aspi 0:1"));
  EXPECT_EQ(drive.flashed(), imageData());
  // No caution on this back end.
  EXPECT_THAT(withoutTimerStart(ui.log()),
              ElementsAreArray(concat(std::vector<std::string>{"dialog 120 main"},
                                      chainCommands(1, 64), kCompletion)));
  EXPECT_EQ(chained, chainOf(1, 64));
  EXPECT_THAT(aspi.postingThreads(), Each(Ne(gui.id())));
  EXPECT_EQ(appState.progressStep, 34);
  EXPECT_EQ(appState.finalBlockBusy, 1u);
  EXPECT_THAT(system.log(), ElementsAreArray(kRebootRequested));
  EXPECT_EQ(heap.live(), 0);
  EXPECT_EQ(heap.strayReleases(), 0);
}

TEST_F(AspiDownloadTest, AFailedBlockStopsTheRunUntilTheNextDownloadAndAFailedFinalOneForGood) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  drive.planFault(10, sim::FaultKind::AspiError);
  drive.planFault(63, sim::FaultKind::AspiError);
  download();
  EXPECT_THAT(ui.log(), ElementsAreArray(concat(
                            std::vector<std::string>{"dialog 120 main"}, chainCommands(1, 10),
                            std::vector<std::string>{"command main 17186 17186",
                                                     "box panel [WARNING] ERROR  !! 0x30"})));
  EXPECT_EQ(appState.nextBlock, 10);
  EXPECT_EQ(appState.blockInFlight, 0u);

  ui.clear();
  download();  // block 10 again, without asking
  // The final block failed after the manager took it: the drive may be programming, so the bar
  // goes on and the guards stay up for the programming allowance.
  EXPECT_THAT(
      withoutTimerStart(ui.log()),
      ElementsAreArray(concat(chainCommands(11, 63),
                              std::vector<std::string>{"command main 17186 17186",
                                                       "box panel [WARNING] ERROR  !! 0x30"})));
  EXPECT_EQ(downloadLines().size(), 65u);
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
    appState.discoveryFinished = 1;
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
    appState.completionStarted = 0;  // each case is a run of its own

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
