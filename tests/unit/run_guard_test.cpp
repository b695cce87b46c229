// The drive's most dangerous minutes, on both back ends: when the system may shut down or sleep
// and when closing asks first, at every moment of a run; what closing stops; the final block's
// system refusals; one completion per run; and the pass-through worker under real threads.
#include <algorithm>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>

#include "download/run_guard.h"
#include "image/image_layout.h"
#include "platform/private_commands.h"
#include "scsi/discovery.h"
#include "scsi/pass_through_transport.h"
#include "scsi/scsi_commands.h"
#include "shell/dialog_replies.h"
#include "shell/main_window_commands.h"
#include "shell/window_messages.h"
#include "tests/fakes/download_fixture.h"

namespace flindor::testing {
namespace {

using ::testing::Each;
using ::testing::Ne;

enum class Moment {
  Idle,
  Sending,
  CautionOpen,
  FinalBlockBusy,
  Complete,
  Stopped,
  FinalFailed,     // the drive never took the final block
  FinalUnknown,    // the final block may be programming: its outcome is unknown
  AfterAllowance,  // the same, once the drive has had its time to program
};

// Whether the system may stop, whether closing asks, and the session holds in force.
using Decisions = std::tuple<bool, bool, int>;

struct MomentRow {
  Moment moment;
  Decisions want;
};
// The same on both back ends.
constexpr MomentRow kMoments[] = {
    {Moment::Idle, {true, false, 0}},           {Moment::Sending, {false, true, 1}},
    {Moment::CautionOpen, {false, false, 1}},   {Moment::FinalBlockBusy, {false, true, 1}},
    {Moment::Complete, {true, false, 0}},       {Moment::Stopped, {true, false, 0}},
    {Moment::FinalFailed, {true, false, 0}},    {Moment::FinalUnknown, {false, true, 1}},
    {Moment::AfterAllowance, {true, false, 0}},
};

// The faults that bring a back end's run to the moments of a stop.
struct StopFaults {
  sim::FaultKind stop, finalFailure, finalUnknown;
};
constexpr StopFaults kPassThroughStops{sim::FaultKind::CheckCondition, sim::FaultKind::IoctlRefused,
                                       sim::FaultKind::IoctlFails};
constexpr StopFaults kAspiStops{sim::FaultKind::AspiError, sim::FaultKind::NotAccepted,
                                sim::FaultKind::AspiError};

// Brings a fresh run to `moment` and runs `atMoment` there, on the GUI thread.
void runTo(DownloadTest& test, FakeUi& ui, Moment moment, const std::function<void()>& atMoment,
           const StopFaults& faults) {
  test.restart();
  test.startUp();
  switch (moment) {
    case Moment::Idle:
      atMoment();
      return;
    case Moment::Sending:
      test.whileDriveHas(10, atMoment);
      break;
    case Moment::FinalBlockBusy:
      test.whileDriveHas(63, atMoment);
      break;
    case Moment::CautionOpen:
    case Moment::Complete:
      ui.onMessageBox = [&, caption = moment == Moment::Complete ? "SUCCESS" : "WARNING"](
                            const MessageBoxCall& box) {
        if (box.caption == caption) atMoment();
      };
      break;
    case Moment::Stopped:
      test.simulatedDrive().planFault(10, faults.stop);
      break;
    case Moment::FinalFailed:
      test.simulatedDrive().planFault(63, faults.finalFailure);
      break;
    case Moment::FinalUnknown:
    case Moment::AfterAllowance:
      test.simulatedDrive().planFault(63, faults.finalUnknown);
      break;
  }
  test.download();
  if (moment == Moment::AfterAllowance) test.programmingAllowancePasses();
  if (moment >= Moment::Stopped) atMoment();
}

// Brings a fresh run to `moment` and reads the decisions there.
Decisions decisionsAt(DownloadTest& test, FakeUi& ui, FakeSessionGuard& session, Moment moment,
                      const StopFaults& faults) {
  Decisions seen{};
  runTo(
      test, ui, moment,
      [&] {
        seen = {systemMayStop(), closeAsksFirst(), session.held()};
      },
      faults);
  return seen;
}

// The table, on the back end `test` runs; the caution box is the pass-through back end's only.
void expectAtEveryMoment(DownloadTest& test, FakeUi& ui, FakeSessionGuard& session,
                         const StopFaults& faults) {
  for (const MomentRow& row : kMoments) {
    if (row.moment == Moment::CautionOpen && appState.platformKind != 1) continue;
    EXPECT_EQ(decisionsAt(test, ui, session, row.moment, faults), row.want)
        << "moment " << static_cast<int>(row.moment);
  }
  EXPECT_EQ(session.held(), 0);
}

TEST_F(PassThroughDownloadTest, ShutdownAndCloseAreRefusedExactlyWhileTheDriveIsAtRisk) {
  expectAtEveryMoment(*this, ui, session, kPassThroughStops);
}

TEST_F(AspiDownloadTest, ShutdownAndCloseAreRefusedExactlyWhileTheDriveIsAtRisk) {
  expectAtEveryMoment(*this, ui, session, kAspiStops);
}

// ---- Closing ----

TEST_F(PassThroughDownloadTest, ClosingWhileTheCautionIsOpenNeverSendsTheFinalBlock) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  ui.onMessageBox = [&](const MessageBoxCall& box) {
    if (box.caption == "WARNING") {
      EXPECT_TRUE(mainWindowMayClose()) << "nothing is out: no question";
    }
  };
  download();
  EXPECT_EQ(tapped.downloads.size(), 63u);
  EXPECT_EQ(drive.programmings(), 0);
  EXPECT_EQ(appState.finalBlockBusy, 0u) << "no progress bar, no timer";
  EXPECT_EQ(session.held(), 0);
  EXPECT_THAT(system.log(), ::testing::IsEmpty());
  download();  // whatever arrives now sends nothing
  EXPECT_EQ(tapped.downloads.size(), 63u);
}

TEST_F(AspiDownloadTest, ClosingWhileABlockIsOutAsksAndOnlyNoLetsTheRunGoOn) {
  for (const bool yes : {false, true}) {
    restart();
    ASSERT_NO_FATAL_FAILURE(startUp());
    const std::size_t before = downloadLines().size();
    // After Yes the request ends in an error: nothing of it may show.
    if (yes) drive.planFault(20, sim::FaultKind::AspiError);
    ui.onAsk = [yes](const MessageBoxCall&) { return yes; };
    bool mayClose = !yes;
    whileDriveHas(20, [&] { mayClose = mainWindowMayClose(); });
    download();
    EXPECT_EQ(mayClose, yes);
    const auto log = ui.log();
    const auto asked = std::count_if(log.begin(), log.end(), [](const std::string& line) {
      return line.rfind("ask main [WARNING] The drive is being updated.", 0) == 0;
    });
    EXPECT_EQ(asked, 1);
    if (yes) {  // the late completion moves nothing on and shows nothing
      EXPECT_EQ(downloadLines().size() - before, 21u);
      EXPECT_TRUE(ui.boxLog().empty());
      EXPECT_THAT(system.log(), ::testing::IsEmpty());
    } else {
      EXPECT_EQ(drive.flashed(), imageData());
      EXPECT_EQ(system.count("exit windows 6 0"), 1);
    }
  }
}

// ---- The close question parks the run ----

// The close box clicked while `block` is out (and fails, when `failing`), the question answered
// only once the block's outcome has arrived behind it: the DownloadCommands the drive answered,
// whether the caution came (on the pass-through back end), whether the failure was told, and
// whether the update completed with its reboot request.
struct QuestionRow {
  int block;
  bool failing;
  bool yes;
  std::size_t answered;
  bool caution;
  bool failureTold;
  bool completed;
};
constexpr QuestionRow kQuestionRows[] = {
    {10, false, true, 11, false, false, false}, {10, false, false, 64, true, false, true},
    {62, false, true, 63, false, false, false}, {62, false, false, 64, true, false, true},
    {63, false, true, 64, true, false, false},  {63, false, false, 64, true, false, true},
    {10, true, true, 11, false, false, false},  {10, true, false, 11, false, true, false},
};

void expectTheQuestionParksTheRun(DownloadTest& test, FakeUi& ui, FakeSystem& system,
                                  sim::FaultKind failure, const char* failureText) {
  for (const QuestionRow& row : kQuestionRows) {
    SCOPED_TRACE("close while block " + std::to_string(row.block) + " is out" +
                 (row.failing ? " and fails, " : ", ") + (row.yes ? "Yes" : "No"));
    test.restart();
    ASSERT_NO_FATAL_FAILURE(test.startUp());
    const std::size_t before = test.downloadLines().size();
    if (row.failing) test.simulatedDrive().planFault(static_cast<std::uint8_t>(row.block), failure);
    test.closeWhileOut(row.block, row.yes);
    test.download();
    EXPECT_EQ(test.downloadLines().size() - before, row.answered);
    const auto boxes = ui.messageBoxes();
    const bool caution = std::any_of(boxes.begin(), boxes.end(), [](const MessageBoxCall& box) {
      return box.text.rfind("\n  Cautions :", 0) == 0;
    });
    EXPECT_EQ(caution, row.caution && appState.platformKind == 1);
    EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(),
                            [&](const MessageBoxCall& box) { return box.text == failureText; }),
              row.failureTold ? 1 : 0);
    EXPECT_EQ(system.count("exit windows 6 0"), row.completed ? 1 : 0);
    EXPECT_EQ(appState.closing, row.yes ? 1u : 0u);
    if (row.completed) {
      EXPECT_EQ(test.simulatedDrive().flashed(), test.imageData());
    }
  }
}

TEST_F(PassThroughDownloadTest, NothingMovesWhileTheCloseQuestionIsOpen) {
  expectTheQuestionParksTheRun(*this, ui, system, sim::FaultKind::CheckCondition,
                               "FAIL TO Write Download FILE");
}

TEST_F(AspiDownloadTest, NothingMovesWhileTheCloseQuestionIsOpen) {
  expectTheQuestionParksTheRun(*this, ui, system, sim::FaultKind::AspiError, "ERROR  !!");
}

// A Download that reaches the GUI thread between a failed block and its stop message sends
// nothing; the stop then lets the system stop, and the next Download resumes with the hold up.
TEST_F(AspiDownloadTest, ADownloadBeforeTheStopIsTakenSendsNothing) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  drive.planFault(20, sim::FaultKind::AspiError);
  const auto route = ui.onCommand;
  ui.onCommand = [&, route](WindowHandle window, std::uintptr_t id, std::intptr_t lParam) {
    if (lowWord(id) == kCommandDownloadStopped) userCommandLater(kCommandDownload);
    route(window, id, lParam);
  };
  download();
  EXPECT_EQ(downloadLines().size(), 21u);
  EXPECT_EQ(appState.nextBlock, 20);
  EXPECT_EQ(session.held(), 0);
  ui.onCommand = route;
  int heldWhileOut = 0;
  whileDriveHas(30, [&] { heldWhileOut = session.held(); });
  download();
  EXPECT_EQ(heldWhileOut, 1);
  EXPECT_EQ(drive.flashed(), imageData());
}

// ---- The final block ----

TEST_F(PassThroughDownloadTest, AFinalBlockTheSystemRefusedIsAFailureAnyOtherFailedCallIsDone) {
  struct Row {
    std::uint32_t error;
    bool done;
  };
  constexpr Row kRows[] = {{1, false},   {5, false},   {6, false},    {8, false},
                           {14, false},  {24, false},  {50, false},   {87, false},
                           {122, false}, {998, false}, {1450, false}, {1784, false},
                           {121, true},  {1117, true}, {1167, true},  {21, true}};
  for (const Row row : kRows) {
    restart();
    ASSERT_NO_FATAL_FAILURE(startUp());
    tapped.refuse = [&row](const ScsiPassThroughDirect& r) {
      return r.Cdb[kDownloadBlockByte] == kFinalBlock ? row.error : std::uint32_t{0};
    };
    download();
    // Done, the drive may still be programming: the completion waits for the allowance.
    EXPECT_EQ(closeAsksFirst(), row.done) << row.error;
    EXPECT_THAT(system.log(), ::testing::IsEmpty()) << row.error;
    programmingAllowancePasses();
    EXPECT_EQ(system.count("exit windows 6 0"), row.done ? 1 : 0) << row.error;
    EXPECT_EQ(appState.nextBlock, row.done ? 64 : 63) << row.error;
    if (!row.done) {
      EXPECT_EQ(ui.boxLog().back(), "box none [WARNING] FAIL TO Write Download FILE 0x30");
      EXPECT_EQ(appState.finalBlockBusy, 0u);
    }
  }
  // A drive that programs past the time-out: done at once, the allowance long over, and the
  // flash holds the image.
  restart();
  ASSERT_NO_FATAL_FAILURE(startUp());
  bus.settings.programmingDelayMs = 250000;
  download();
  EXPECT_EQ(system.count("exit windows 6 0"), 1);
  EXPECT_EQ(drive.flashed(), imageData());
}

TEST_F(AspiDownloadTest, ADownloadBetweenTheLastBlockAndItsChainingMessageCompletesOnce) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  const auto route = ui.onCommand;
  ui.onCommand = [&, route](WindowHandle window, std::uintptr_t id, std::intptr_t lParam) {
    // The user's Download reaches the GUI thread first, with nextBlock already 64.
    if (lowWord(id) == kCommandDownload && lParam == 64) userCommandLater(kCommandDownload);
    route(window, id, lParam);
  };
  download();
  const auto log = ui.log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "beep"), 1);
  EXPECT_EQ(system.count("exit windows 6 0"), 1);
  EXPECT_EQ(drive.programmings(), 1);
}

// ---- The pass-through worker on threads of its own ----

class PassThroughThreadingTest : public PassThroughDownloadTest {
 protected:
  PassThroughThreadingTest() {
    ports().worker = &threads;
    gui.routeCommands(ui, [this](WindowHandle, std::uintptr_t wParam, std::intptr_t lParam) {
      if (lowWord(wParam) == kCommandPassThroughFinished)
        handOffThreads.push_back(std::this_thread::get_id());
      mainWindowCommand(wParam, lParam);
    });
  }
  ThreadWorker threads;
  FakeGuiThread gui;
  std::vector<std::thread::id> handOffThreads;  // GUI thread only
};

TEST_F(PassThroughThreadingTest, EachBlockRunsOffTheGuiThreadAndItsOutcomeIsHandledOnIt) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  std::vector<std::thread::id> driveThreads;
  tapped.beforeDrive = [&](const ScsiPassThroughDirect&) {
    driveThreads.push_back(std::this_thread::get_id());
  };
  drive.planFault(30, sim::FaultKind::CheckCondition);
  for (int user = 0; user < 2; ++user) {
    gui.send([] { mainWindowCommand(kCommandDownload, 0); });
    threads.joinAll();  // each job ends after its hand-off, which started the next
    gui.waitUntilIdle();
  }
  EXPECT_EQ(drive.flashed(), imageData());
  EXPECT_EQ(driveThreads.size(), 65u);
  EXPECT_THAT(driveThreads, Each(Ne(gui.id())));
  EXPECT_EQ(handOffThreads.size(), 65u);
  EXPECT_THAT(handOffThreads, Each(gui.id()));
  EXPECT_EQ(system.count("exit windows 6 0"), 1);
  EXPECT_EQ(session.held(), 0);
}

// ---- Commands another program sends ----

// The program's own commands, which any program can send the main window too.
constexpr std::uint16_t kPrivateIds[] = {kCommandNextInquiry, kCommandDiscoveryFinished,
                                         kCommandDownloadStopped, kCommandPassThroughFinished};

// Keeps the last genuine message of each id the main window received, to send it once more.
class Forger {
 public:
  explicit Forger(FakeUi& ui) {
    ui.onCommand = [this, route = ui.onCommand](WindowHandle window, std::uintptr_t wParam,
                                                std::intptr_t lParam) {
      {
        std::lock_guard hold(lock_);
        taken_[lowWord(wParam)] = {wParam, lParam};
      }
      route(window, wParam, lParam);
    };
  }
  void forget() {
    std::lock_guard hold(lock_);
    taken_.clear();
  }
  // Each id bare in both low words, with something above them, and its last genuine message.
  std::vector<PrivateCommand> forgeries() {
    std::lock_guard hold(lock_);
    std::vector<PrivateCommand> out;
    for (const std::uint16_t id : kPrivateIds) {
      out.push_back({id, id});
      out.push_back({0xBEEF0000u | id, 0x7ACE0000 | id});
      if (const auto it = taken_.find(id); it != taken_.end()) out.push_back(it->second);
    }
    return out;
  }

 private:
  std::mutex lock_;
  std::map<std::uint16_t, PrivateCommand> taken_;
};

// Each private command forged at each moment: the run goes exactly as it goes without them.
void expectForgeriesChangeNothing(DownloadTest& test, FakeUi& ui, FakeSystem& system,
                                  const StopFaults& faults) {
  Forger forger(ui);
  auto outcome = [&] {
    sim::SimulatedDrive& drive = test.simulatedDrive();
    // Sorted: on ASPI a completion's send and the GUI thread's own calls are logged as they
    // come, in either order.
    std::vector<std::string> log = ui.log();
    std::sort(log.begin(), log.end());
    return std::tuple(log, system.log(), drive.programmings(), drive.flashed() == test.imageData(),
                      int{appState.nextBlock}, appState.downloadConfirmed, appState.imageOpen,
                      appState.selectedDrive);
  };
  for (const MomentRow& row : kMoments) {
    if (row.moment == Moment::CautionOpen && appState.platformKind != 1) continue;
    // The moment, then what the person does next: the Download, or again after a stop.
    auto run = [&](const std::function<void()>& atMoment) {
      forger.forget();
      runTo(test, ui, row.moment, atMoment, faults);
      if (row.moment == Moment::Idle || row.moment >= Moment::Stopped) test.download();
    };
    run([] {});
    const auto alone = outcome();
    run([&] {
      for (const PrivateCommand& message : forger.forgeries()) {
        test.deliver(message.wParam, message.lParam);
      }
    });
    EXPECT_EQ(outcome(), alone) << "moment " << static_cast<int>(row.moment);
  }
}

TEST_F(PassThroughDownloadTest, PrivateCommandsForgedAtAnyMomentChangeNothing) {
  expectForgeriesChangeNothing(*this, ui, system, kPassThroughStops);
}

TEST_F(AspiDownloadTest, PrivateCommandsForgedAtAnyMomentChangeNothing) {
  expectForgeriesChangeNothing(*this, ui, system, kAspiStops);
}

}  // namespace
}  // namespace flindor::testing
