// The drive's most dangerous minutes, on both back ends: when the system may shut down or sleep
// and when closing asks first, at every moment of a run; what closing stops; the final block's
// system refusals; one completion per run; and the pass-through worker under real threads.
#include <algorithm>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>

#include "download/run_guard.h"
#include "download/run_log.h"
#include "image/image_layout.h"
#include "platform/private_commands.h"
#include "scsi/block_answer.h"
#include "scsi/scsi_commands.h"
#include "shell/dialog_replies.h"
#include "shell/main_window_commands.h"
#include "shell/window_messages.h"
#include "state/command_ids.h"
#include "tests/fakes/harness_test.h"

namespace flindor::testing {
namespace {

using ::testing::Each;
using ::testing::Ne;

enum class Moment {
  Idle,
  ConfirmOpen,  // the ConfirmDialog is open
  Sending,
  CautionOpen,
  FinalBlockBusy,
  Complete,
  Stopped,
  FinalFailed,      // the drive never took the final block
  FinalUnknown,     // the final block may be programming: its outcome is unknown
  FinalDriveError,  // the drive answered the final block with CHECK CONDITION
  StalledLog,       // the final block's outcome unknown, after its log line took 40 s to write
  AfterAllowance,   // the final block's outcome unknown, once the drive had its time to program
};

// The phase the run is in, whether the system may stop, whether closing asks, whether a
// Download may act, the session holds in force, whether the progress timer runs, the run's
// handles on the drive open (pass-through: the one the blocks go through and the one that turned
// the media-change polling off), and whether AutoPlay is cancelled.
using Decisions = std::tuple<RunPhase, bool, bool, bool, int, bool, int, bool>;

struct MomentRow {
  Moment moment;
  Decisions passThrough, aspi;
};
// Alike on both back ends but for the handles, which the ASPI manager never needs.
constexpr Decisions both(RunPhase phase, bool stop, bool asks, bool acts, int held, bool timer,
                         bool holds) {
  return {phase, stop, asks, acts, held, timer, holds ? 2 : 0, holds};
}
constexpr Decisions onAspi(Decisions d) {
  std::get<6>(d) = 0;
  return d;
}
using enum RunPhase;
constexpr Decisions kIdle = both(Idle, true, false, true, 0, false, false);
constexpr Decisions kConfirming = both(Confirming, true, false, false, 0, false, false);
constexpr Decisions kBlockOut = both(BlockOut, false, true, false, 1, false, true);
constexpr Decisions kFinalBlockOut = both(FinalBlockOut, false, true, false, 1, true, true);
constexpr Decisions kCompleting = both(Completing, true, false, false, 0, false, false);
constexpr Decisions kStopped = both(Stopped, true, false, true, 0, false, false);
constexpr Decisions kMayProgram = both(ProgrammingUnknown, false, true, false, 1, true, true);
constexpr MomentRow kMoments[] = {
    {Moment::Idle, kIdle, kIdle},
    {Moment::ConfirmOpen, kConfirming, kConfirming},
    {Moment::Sending, kBlockOut, onAspi(kBlockOut)},
    {Moment::CautionOpen, both(CautionOpen, false, false, false, 1, false, true), {}},
    {Moment::FinalBlockBusy, kFinalBlockOut, onAspi(kFinalBlockOut)},
    {Moment::Complete, kCompleting, kCompleting},
    {Moment::Stopped, kStopped, kStopped},
    {Moment::FinalFailed, kStopped, kStopped},
    {Moment::FinalUnknown, kMayProgram, onAspi(kMayProgram)},
    // The drive may have begun to program: on both back ends the guards hold for the allowance.
    {Moment::FinalDriveError, kMayProgram, onAspi(kMayProgram)},
    // The allowance runs from the final block's handing over, not from before its log line.
    {Moment::StalledLog, kMayProgram, onAspi(kMayProgram)},
    // Counted as done, the pass-through block goes on to the completion; on ASPI nothing does.
    {Moment::AfterAllowance, kCompleting, both(FinalFailed, true, false, false, 0, false, false)},
};

// Whether the progress timer runs, as the user interface was told.
bool timerRunning(const FakeUi& ui) {
  const auto log = ui.log();
  return std::count(log.begin(), log.end(), "set timer panel 1 1000") >
         std::count(log.begin(), log.end(), "kill timer panel 1");
}

// The faults that bring a back end's run to the moments of a stop.
struct StopFaults {
  sim::FaultKind stop, finalFailure, finalUnknown;
};
constexpr StopFaults kPassThroughStops{sim::FaultKind::CheckCondition, sim::FaultKind::IoctlRefused,
                                       sim::FaultKind::IoctlFails};
constexpr StopFaults kAspiStops{sim::FaultKind::AspiError, sim::FaultKind::NotAccepted,
                                sim::FaultKind::AspiError};

// Brings a fresh run to `moment` and runs `atMoment` there, on the GUI thread.
void runTo(ProgramHarness& test, Moment moment, const std::function<void()>& atMoment,
           const StopFaults& faults) {
  FakeUi& ui = test.ui;
  test.restart();
  test.startUp();
  switch (moment) {
    case Moment::Idle:
      atMoment();
      return;
    case Moment::ConfirmOpen:
      ui.onDialog[kConfirmDialogTemplate] = [&] {
        atMoment();
        confirmDialogReply(kWmCommand, kOkCommand);
      };
      break;
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
      test.drive().planFault(10, faults.stop);
      break;
    case Moment::FinalFailed:
      test.drive().planFault(63, faults.finalFailure);
      break;
    case Moment::FinalUnknown:
    case Moment::AfterAllowance:
      test.drive().planFault(63, faults.finalUnknown);
      break;
    case Moment::FinalDriveError:
      test.drive().planFault(63, sim::FaultKind::CheckCondition);
      break;
    case Moment::StalledLog:
      logStart();
      test.logFiles.onAppend = [&test](const std::string& line) {
        if (line.find("final block 63 sent") != std::string::npos) test.clock.advance(40000);
      };
      test.drive().planFault(63, faults.finalUnknown);
      break;
  }
  test.download();
  if (moment == Moment::AfterAllowance) test.programmingAllowancePasses();
  if (moment >= Moment::Stopped) atMoment();
}

// Brings a fresh run to `moment` and reads the decisions there.
Decisions decisionsAt(ProgramHarness& test, Moment moment, const StopFaults& faults) {
  Decisions seen{};
  runTo(
      test, moment,
      [&] {
        const AppState& s = appState;
        seen = {s.runPhase,          systemMayStop(),
                closeAsksFirst(),    s.closeQuestionOpen == 0 && downloadMayAct(s.runPhase),
                test.session.held(), timerRunning(test.ui),
                test.openVolumes(),  cancelsAutoPlay()};
      },
      faults);
  return seen;
}

// The table, on the back end `test` runs; the caution box is the pass-through back end's only.
void expectAtEveryMoment(ProgramHarness& test, const StopFaults& faults) {
  const bool passThrough = test.platform() == kPassThroughPlatform;
  for (const MomentRow& row : kMoments) {
    if (row.moment == Moment::CautionOpen && !passThrough) continue;
    EXPECT_EQ(decisionsAt(test, row.moment, faults), passThrough ? row.passThrough : row.aspi)
        << "moment " << static_cast<int>(row.moment);
  }
  EXPECT_EQ(test.session.held(), 0);
  // Closed at each moment, Yes where asked: once what was out has come back, no handle of the
  // run is left open, and none was closed twice.
  for (const MomentRow& row : kMoments) {
    if (row.moment == Moment::CautionOpen && !passThrough) continue;
    runTo(
        test, row.moment,
        [&test] {
          test.ui.onAsk = [](const MessageBoxCall&) { return true; };
          if (mainWindowMayClose()) mainWindowDestroyed();
        },
        faults);
    test.settle();
    EXPECT_EQ(test.openVolumes(), 0) << "closed at moment " << static_cast<int>(row.moment);
  }
  EXPECT_EQ(test.strayCloses(), 0);
}

TEST_F(PassThroughDownloadTest, ShutdownAndCloseAreRefusedExactlyWhileTheDriveIsAtRisk) {
  expectAtEveryMoment(*this, kPassThroughStops);
}

TEST_F(AspiDownloadTest, ShutdownAndCloseAreRefusedExactlyWhileTheDriveIsAtRisk) {
  expectAtEveryMoment(*this, kAspiStops);
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
  EXPECT_EQ(sent().size(), 63u);
  EXPECT_EQ(drive().programmings(), 0);
  EXPECT_EQ(appState.finalBlockBusy, 0u) << "no progress bar, no timer";
  EXPECT_EQ(session.held(), 0);
  EXPECT_THAT(system.log(), ::testing::IsEmpty());
  download();  // whatever arrives now sends nothing
  EXPECT_EQ(sent().size(), 63u);
}

TEST_F(AspiDownloadTest, ClosingWhileABlockIsOutAsksAndOnlyNoLetsTheRunGoOn) {
  for (const bool yes : {false, true}) {
    restart();
    ASSERT_NO_FATAL_FAILURE(startUp());
    logStart();
    const std::size_t before = downloadLines().size();
    // After Yes the request ends in an error: nothing of it may show, or be written down.
    if (yes) drive().planFault(20, sim::FaultKind::AspiError);
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
      EXPECT_EQ(appState.nextBlock, 20);
      const auto lines = logFiles.lines();
      ASSERT_GE(lines.size(), 2u);
      EXPECT_EQ(lines[lines.size() - 2], "closed during the download, at block 20");
      EXPECT_EQ(lines.back(), "blocks 0 to 19 accepted") << "and nothing of the late answer";
    } else {
      EXPECT_EQ(drive().flashed(), imageData());
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

void expectTheQuestionParksTheRun(ProgramHarness& test, sim::FaultKind failure,
                                  const char* failureText) {
  for (const QuestionRow& row : kQuestionRows) {
    SCOPED_TRACE("close while block " + std::to_string(row.block) + " is out" +
                 (row.failing ? " and fails, " : ", ") + (row.yes ? "Yes" : "No"));
    test.restart();
    ASSERT_NO_FATAL_FAILURE(test.startUp());
    const std::size_t before = test.downloadLines().size();
    if (row.failing) test.drive().planFault(static_cast<std::uint8_t>(row.block), failure);
    test.closeWhileOut(row.block, row.yes);
    test.download();
    EXPECT_EQ(test.downloadLines().size() - before, row.answered);
    const auto boxes = test.ui.messageBoxes();
    const bool caution = std::any_of(boxes.begin(), boxes.end(), [](const MessageBoxCall& box) {
      return box.text.rfind("\n  Cautions :", 0) == 0;
    });
    EXPECT_EQ(caution, row.caution && test.platform() == kPassThroughPlatform);
    EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(),
                            [&](const MessageBoxCall& box) { return box.text == failureText; }),
              row.failureTold ? 1 : 0);
    EXPECT_EQ(test.system.count("exit windows 6 0"), row.completed ? 1 : 0);
    EXPECT_EQ(appState.runPhase == RunPhase::Closing, row.yes);
    EXPECT_EQ(test.closesWhileAsking, 0) << "a second close while the question is open";
    if (row.completed) {
      EXPECT_EQ(test.drive().flashed(), test.imageData());
    }
  }
}

TEST_F(PassThroughDownloadTest, NothingMovesWhileTheCloseQuestionIsOpen) {
  expectTheQuestionParksTheRun(*this, sim::FaultKind::CheckCondition,
                               "FAIL TO Write Download FILE");
}

TEST_F(AspiDownloadTest, NothingMovesWhileTheCloseQuestionIsOpen) {
  expectTheQuestionParksTheRun(*this, sim::FaultKind::AspiError, "ERROR  !!");
}

// A Download that reaches the GUI thread between a failed block and its stop message sends
// nothing; the stop then lets the system stop, and the next Download resumes with the hold up.
TEST_F(AspiDownloadTest, ADownloadBeforeTheStopIsTakenSendsNothing) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  drive().planFault(20, sim::FaultKind::AspiError);
  const auto route = ui.onCommand;
  ui.onCommand = [&, route](WindowHandle window, std::uintptr_t id, std::intptr_t lParam) {
    // On the manager's thread, with the answer written and not yet taken.
    if (lowWord(id) == kCommandBlockAnswered && blockAnswer.block == 20) {
      commandLater(kCommandDownload);
    }
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
  EXPECT_EQ(drive().flashed(), imageData());
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
    refuse = [&row](const ScsiPassThroughDirect& r) {
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
  EXPECT_EQ(drive().flashed(), imageData());
}

TEST_F(AspiDownloadTest, ADownloadBetweenTheLastBlockAndItsChainingMessageCompletesOnce) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  const auto route = ui.onCommand;
  ui.onCommand = [&, route](WindowHandle window, std::uintptr_t id, std::intptr_t lParam) {
    // The user's Download reaches the GUI thread first, with nextBlock already 64.
    if (lowWord(id) == kCommandDownload && lParam == 64) commandLater(kCommandDownload);
    route(window, id, lParam);
  };
  download();
  const auto log = ui.log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "beep"), 1);
  EXPECT_EQ(system.count("exit windows 6 0"), 1);
  EXPECT_EQ(drive().programmings(), 1);
}

// ---- The pass-through worker on threads of its own ----

class PassThroughThreadingTest : public HarnessTest {
 protected:
  PassThroughThreadingTest()
      : HarnessTest({.platform = kPassThroughPlatform, .run = Run::Threads}) {}
};

TEST_F(PassThroughThreadingTest, EachBlockRunsOffTheGuiThreadAndItsOutcomeIsHandledOnIt) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  std::vector<std::thread::id> driveThreads;  // each job's own thread, one at a time
  beforeDrive = [&](int) { driveThreads.push_back(std::this_thread::get_id()); };
  std::vector<std::thread::id> handOffThreads;  // where each answer was taken
  beforeAnswer = [&](std::uintptr_t, std::intptr_t) {
    handOffThreads.push_back(std::this_thread::get_id());
    return true;
  };
  drive().planFault(30, sim::FaultKind::CheckCondition);
  download();
  download();
  EXPECT_EQ(drive().flashed(), imageData());
  EXPECT_EQ(driveThreads.size(), 65u);
  EXPECT_THAT(driveThreads, Each(Ne(gui->id())));
  EXPECT_EQ(handOffThreads.size(), 65u);
  EXPECT_THAT(handOffThreads, Each(gui->id()));
  EXPECT_EQ(system.count("exit windows 6 0"), 1);
  EXPECT_EQ(session.held(), 0);
}

// ---- Commands another program sends ----

// The program's own commands, which any program can send the main window too.
constexpr std::uint16_t kPrivateIds[] = {kCommandNextInquiry, kCommandDiscoveryFinished,
                                         kCommandBlockAnswered, kCommandUpdateVerdict};

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
void expectForgeriesChangeNothing(ProgramHarness& test, const StopFaults& faults) {
  FakeUi& ui = test.ui;
  Forger forger(ui);
  auto outcome = [&] {
    sim::SimulatedDrive& drive = test.drive();
    // Sorted: on ASPI a completion's send and the GUI thread's own calls are logged as they
    // come, in either order.
    std::vector<std::string> log = ui.log();
    std::sort(log.begin(), log.end());
    return std::tuple(log, test.system.log(), drive.programmings(),
                      drive.flashed() == test.imageData(), int{appState.nextBlock},
                      appState.downloadConfirmed, appState.imageOpen, appState.selectedDrive);
  };
  for (const MomentRow& row : kMoments) {
    if (row.moment == Moment::CautionOpen && test.platform() != kPassThroughPlatform) continue;
    // The moment, then what the person does next: the Download, or again after a stop.
    auto run = [&](const std::function<void()>& atMoment) {
      forger.forget();
      runTo(test, row.moment, atMoment, faults);
      if (row.moment == Moment::Idle || row.moment >= Moment::Stopped) test.download();
    };
    run([] {});
    const auto alone = outcome();
    run([&] {
      for (const PrivateCommand& message : forger.forgeries()) {
        test.command(message.wParam, message.lParam);
      }
    });
    EXPECT_EQ(outcome(), alone) << "moment " << static_cast<int>(row.moment);
  }
}

TEST_F(PassThroughDownloadTest, PrivateCommandsForgedAtAnyMomentChangeNothing) {
  expectForgeriesChangeNothing(*this, kPassThroughStops);
}

TEST_F(AspiDownloadTest, PrivateCommandsForgedAtAnyMomentChangeNothing) {
  expectForgeriesChangeNothing(*this, kAspiStops);
}

}  // namespace
}  // namespace flindor::testing
