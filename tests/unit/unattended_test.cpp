// The program started with a command line, one table: the arguments and what the PC holds ->
// the exit code, how many blocks reached the drive, a line of the log, the record's Result and
// the RunOnce entry. No row shows a box but the usage.
#include <cstring>
#include <string>

#include "download/run_result.h"
#include "download/update_record.h"
#include "download/update_verdict.h"
#include "tests/fakes/harness_test.h"

namespace flindor::testing {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// What the PC holds besides the drive, the image and a working registry. ClosedAt20: a person
// closes the window and says Yes; RestartRefused: every request to restart is refused.
enum class Setup {
  Plain,
  Battery,
  FailsAt10,
  FinalUnknown,
  Held,
  ClosedAt20,
  RestartRefused,
  Took,
  NotTaken
};

constexpr char kSpaced[] = "C:\\My Files\\NEW.BIN";
constexpr char kChosenLog[] = "C:\\My Logs\\run.log";
constexpr char kRunOnce[] = "\"C:\\FLINDOR\\flindor.exe\" /verdict";
const std::string kTooLong = "C:\\" + std::string(257, 'x');

const struct Row {
  std::string arguments;
  const char* image;  // its version; nullptr: no file at the path
  Setup setup;
  int code;
  std::size_t sent;  // DownloadCommands the drive answered
  std::string logs;  // a line the log holds
  const char* runOnce = nullptr;
  const char* imagePath = kImagePath;
  std::size_t imageBytes = 131080;
  const char* logFile = FakeLogFiles::kProgramLog;
} kRows[] = {
    // The update, restarted by whoever started it, by FLINDOR, or into a log of its own.
    {"/update C:\\FW\\NEW.BIN /noreboot", "DA13", Setup::Plain, 3010, 64, "exit code 3010",
     kRunOnce},
    {"-UPDATE \"C:\\FW\\NEW.BIN\"", "DA13", Setup::Plain, 1641, 64, "restart of the PC requested",
     kRunOnce},
    {"/update C:\\FW\\NEW.BIN", "DA13", Setup::RestartRefused, 3010, 64, "exit code 1641",
     kRunOnce},
    {"/update \"C:\\My Files\\NEW.BIN\" /NoReboot /log \"C:\\My Logs\\run.log\"", "DA13",
     Setup::Plain, 3010, 64,
     "command line: /update \"C:\\My Files\\NEW.BIN\" /NoReboot /log "
     "\"C:\\My Logs\\run.log\"",
     "\"C:\\FLINDOR\\flindor.exe\" /verdict /log \"C:\\My Logs\\run.log\"", kSpaced, 131080,
     kChosenLog},
    {"  /update   C:\\FW\\\"NEW\".BIN   /noreboot  ", "DA13", Setup::Plain, 3010, 64,
     "image NEW.BIN opened: 131080 bytes, version DA13 , file CRC-32/MPEG-2 B0A3BD9B", kRunOnce},
    // Older or the same firmware only with /allowolder; on battery only with /ignorepower.
    {"/update C:\\FW\\NEW.BIN", "DA11", Setup::Plain, 5, 0,
     "the image's version DA11 is older than the drive's DA12: nothing sent"},
    {"/update C:\\FW\\NEW.BIN /allowolder /noreboot", "DA11", Setup::Plain, 3010, 64,
     "exit code 3010", kRunOnce},
    {"/update C:\\FW\\NEW.BIN", "DA12", Setup::Plain, 0, 0,
     "the image's version DA12 is the same as the drive's DA12: nothing sent"},
    {"/update C:\\FW\\NEW.BIN /noreboot /allowolder", "DA12", Setup::Plain, 3010, 64,
     "exit code 3010", kRunOnce},
    {"/update C:\\FW\\NEW.BIN", "DA13", Setup::Battery, 6, 0,
     "the PC runs on battery power: nothing sent"},
    {"/update C:\\FW\\NEW.BIN /ignorepower /noreboot", "DA13", Setup::Battery, 3010, 64,
     "the PC runs on battery power: allowed by the command line, the update goes on", kRunOnce},
    // What stops a run: a block, the final block's outcome, another program, the image.
    {"/update C:\\FW\\NEW.BIN", "DA13", Setup::FailsAt10, 1, 11,
     "message (WARNING): FAIL TO Write Download FILE"},
    {"/update C:\\FW\\NEW.BIN", "DA13", Setup::FinalUnknown, 7, 64,
     "block 63 failed: error 0, SCSI status 0x02, sense 70 00 03"},
    {"/update C:\\FW\\NEW.BIN", "DA13", Setup::Held, 8, 0,
     "block 0 not sent: another program holds the drive"},
    {"/update C:\\FW\\NEW.BIN", "DA13", Setup::ClosedAt20, 1, 21,
     "closed during the download, at block 21"},
    {"/update C:\\FW\\NEW.BIN", nullptr, Setup::Plain, 4, 0,
     "image NEW.BIN (0 bytes): FAIL TO OPEN FILE"},
    {"/update C:\\FW\\NEW.BIN", "DA13", Setup::Plain, 4, 0,
     "message (WARNING): FILE SIZE IS DIFFERENT!!", nullptr, kImagePath, 1000},
    // An earlier update's record is judged first.
    {"/update C:\\FW\\NEW.BIN /noreboot", "DA13", Setup::NotTaken, 3010, 64,
     "update check: The drive ZIB KMX4820T at drive E: still reports DA12, not DA13", kRunOnce},
    // Checks: nothing sent, the record as it was.
    {"/check", "DA13", Setup::Plain, 0, 0, "drive found: ZIB KMX4820T, revision DA12, at drive E:"},
    {"/check C:\\FW\\NEW.BIN", "DA13", Setup::NotTaken, 0, 0,
     "image NEW.BIN applies to the drive, which reports DA12: its version is newer"},
    {"/check C:\\FW\\NEW.BIN", "DA12", Setup::Plain, 5, 0, "its version is the same"},
    {"/check C:\\FW\\NEW.BIN", "DA11", Setup::Plain, 5, 0, "its version is older"},
    {"/check C:\\FW\\NEW.BIN", nullptr, Setup::Plain, 4, 0, "FAIL TO OPEN FILE"},
    {"/verdict", "DA13", Setup::Took, 0, 0,
     "update check: The drive now reports DA12.  The firmware update is complete. (record "
     "cleared)"},
    {"/verdict /log \"C:\\My Logs\\run.log\"", "DA13", Setup::NotTaken, 9, 0, "exit code 9",
     nullptr, kImagePath, 131080, kChosenLog},
    {"/verdict", "DA13", Setup::Plain, 9, 0, "update check: no record of an update"},
    // Not understood: nothing done.
    {"/bogus", "DA13", Setup::Plain, 2, 0, "command line: /bogus"},
    {"/update", "DA13", Setup::Plain, 2, 0, "exit code 2"},
    {"/update C:\\FW\\NEW.BIN C:\\FW\\NEW.BIN", "DA13", Setup::Plain, 2, 0, "exit code 2"},
    {"/update C:\\FW\\NEW.BIN /noreboot -noreboot", "DA13", Setup::Plain, 2, 0, "exit code 2"},
    {"\"/update\" C:\\FW\\NEW.BIN", "DA13", Setup::Plain, 2, 0, "exit code 2"},
    {"/update " + kTooLong, "DA13", Setup::Plain, 2, 0, "exit code 2"},
    {"/check /allowolder", "DA13", Setup::Plain, 2, 0, "exit code 2"},
    {"/verdict C:\\FW\\NEW.BIN", "DA13", Setup::Plain, 2, 0, "exit code 2"},
    {"/log C:\\FW\\run.log", "DA13", Setup::Plain, 2, 0, "exit code 2", nullptr, kImagePath, 131080,
     "C:\\FW\\run.log"},
    {"/? /check", "DA13", Setup::Plain, 2, 0, "exit code 2"},
};

// A record of an update of the drive at E: from `from` to `to` that completed.
void recordUpdate(const char* from, const char* to) {
  UpdateRecord r{};
  std::strcpy(r.state, kRecordCompleted);
  std::strcpy(r.block, "64");
  std::strcpy(r.drive, "ZIB     KMX4820T        ");
  std::strcpy(r.address, "drive E:");
  std::strcpy(r.oldRevision, from);
  std::strcpy(r.newRevision, to);
  writeRecord(r);
}

class UnattendedTest : public PassThroughDownloadTest {
 protected:
  void prepare(const Row& row) {
    restart();
    logFiles = FakeLogFiles{};
    system.deleteMachineKey(kRecordKey);
    system.deleteMachineKey(kRunOnceKey);
    linesBefore_ = downloadLines().size();
    files.remove(kImagePath);
    if (row.image != nullptr) files.add(row.imagePath, patternedImage(row.image, row.imageBytes));
    system.power = row.setup == Setup::Battery ? PowerSource::Battery : PowerSource::Unknown;
    bus.settings.exclusiveHolder = row.setup == Setup::Held ? "NERO" : "";
    if (row.setup == Setup::FailsAt10 || row.setup == Setup::FinalUnknown) {
      drive().planFault(row.setup == Setup::FailsAt10 ? 10 : 63, sim::FaultKind::CheckCondition);
    }
    if (row.setup == Setup::ClosedAt20) closeWhileOut(20, true);
    system.exitWindowsSucceeds = row.setup != Setup::RestartRefused;
    if (row.setup == Setup::Took) recordUpdate("DA11", "DA12");
    if (row.setup == Setup::NotTaken) recordUpdate("DA12", "DA13");
  }
  // The DownloadCommands the drive answered since prepare().
  std::size_t sentSince() const { return downloadLines().size() - linesBefore_; }

 private:
  std::size_t linesBefore_ = 0;
};

TEST_F(UnattendedTest, EachCommandLineEndsByItselfWithItsExitCode) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.arguments);
    prepare(row);
    EXPECT_EQ(runCommandLine(row.arguments.c_str()), row.code);
    EXPECT_EQ(sentSince(), row.sent);
    if (row.code == kExitRestartNeeded || row.code == kExitRestarting) {
      EXPECT_EQ(drive().flashed(), imageData());
    }
    EXPECT_THAT(logFiles.lines(row.logFile), Contains(HasSubstr(row.logs)));
    EXPECT_THAT(logFiles.lines(row.logFile), Contains("exit code " + std::to_string(row.code)));
    EXPECT_EQ(system.value(kRecordKey, kResultValue), std::to_string(row.code) + '\0');
    EXPECT_EQ(system.value(kRunOnceKey, kRunOnceValue),
              row.runOnce != nullptr ? std::string(row.runOnce) + '\0' : "");
    EXPECT_EQ(system.count("exit windows 6 0") > 0,
              row.code == kExitRestarting || row.setup == Setup::RestartRefused);
    EXPECT_THAT(ui.boxLog(), IsEmpty());
  }
}

// The verdict without a person goes into the record too, where deployment tools read it.
TEST_F(UnattendedTest, TheVerdictIsRecordedAndTheUsageIsTheOneBox) {
  prepare(kRows[0]);
  recordUpdate("DA11", "DA12");
  EXPECT_EQ(runCommandLine("/verdict"), 0);
  EXPECT_THAT(system.value(kRecordKey, kVerdictValue), HasSubstr("The drive now reports DA12."));
  EXPECT_EQ(system.value(kRecordKey, "State"), "") << "the record of the update cleared";

  restart();
  EXPECT_EQ(runCommandLine("-?"), 0);
  ASSERT_EQ(ui.boxLog().size(), 1u);
  EXPECT_THAT(ui.boxLog()[0], HasSubstr("box none [FLINDOR] flindor /update PATH [/noreboot]"));
  EXPECT_EQ(sentSince(), 0u);
}

// No supported drive: 3, after the record was judged (but by a check, which changes nothing).
class UnattendedWithoutDriveTest : public HarnessTest {
 protected:
  UnattendedWithoutDriveTest()
      : HarnessTest({.platform = kPassThroughPlatform, .zibDrive = false}) {}
};

TEST_F(UnattendedWithoutDriveTest, EndsWithThreeHavingJudgedTheRecordUnlessOnlyChecking) {
  for (const char* arguments : {"/check", "/update C:\\FW\\NEW.BIN"}) {
    SCOPED_TRACE(arguments);
    restart();
    recordUpdate("DA12", "DA13");
    EXPECT_EQ(runCommandLine(arguments), kExitNoDrive);
    EXPECT_EQ(
        ::testing::Value(logFiles.lines(), Contains(HasSubstr("update check: FLINDOR cannot"))),
        arguments[1] == 'u');
    EXPECT_EQ(logFiles.lines().back(), "exit code 3");
    EXPECT_THAT(ui.boxLog(), IsEmpty());
  }
}

}  // namespace
}  // namespace flindor::testing
