// The verdict after the restart: record x drive at its address -> the box, and the record's fate.
#include "download/update_verdict.h"

#include <cstring>

#include "download/update_record.h"
#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

enum Record { kNone, kStoppedAt10, kStoppedAtFinal, kCompleted };
enum Drive { kReportsNew, kReportsOld, kAbsent, kAnotherAtItsAddress };

const std::string kComplete =
    "box main [SUCCESS] The drive now reports DB13.\n\nThe firmware update is complete. 0x40";
const std::string kDrive = "drive ZIB DVD-ROM KMX4820T at adapter 0, target 1";
const std::string kOffAndOn =
    ".\n\nSwitch the PC off, wait ten seconds, switch it on and start FLINDOR again.";
std::string warning(const std::string& text) { return "box main [WARNING] " + text + " 0x30"; }
std::string notTaken(const std::string& got) {
  return warning("The " + kDrive + " still reports DA12, not DB13: the download " + got +
                 kOffAndOn + " If the drive then still reports DA12, download the image again.");
}
std::string missing(const std::string& got) {
  return warning("FLINDOR cannot find the " + kDrive +
                 ", whose firmware it was updating from DA12 to DB13: the download " + got +
                 kOffAndOn);
}
const std::string kNotProgrammed = warning(
    "The firmware update of the " + kDrive +
    " did not complete: the download stopped at block 10, before the drive programmed its flash, "
    "so it keeps its firmware DA12.\n\nOpen the image and download it again.");

const struct Row {
  Record record;
  Drive drive;
  std::string box;  // "" for none
  bool recordKept;
} kRows[] = {
    {kNone, kReportsNew, "", false},
    {kCompleted, kReportsNew, kComplete, false},
    {kCompleted, kReportsOld, notTaken("completed"), true},
    {kCompleted, kAbsent, missing("completed"), true},
    {kCompleted, kAnotherAtItsAddress, missing("completed"), true},
    // The final block went out: whether the drive programmed shows in what it reports.
    {kStoppedAtFinal, kReportsNew, kComplete, false},
    {kStoppedAtFinal, kReportsOld, notTaken("stopped at block 63"), true},
    // Its flash was never programmed: said once, as the drive runs its firmware as before.
    {kStoppedAt10, kReportsOld, kNotProgrammed, false},
    {kStoppedAt10, kAnotherAtItsAddress, missing("stopped at block 10"), true},
};

class UpdateVerdictTest : public CoreTest {
 protected:
  // The record of an update of the drive at 0:1 from DA12 to DB13, as far as `record` says; then
  // the drive table after the restart: another drive, then the one at 0:1, if any.
  void restartWith(Record record, Drive drive) {
    resetState();
    system.deleteMachineKey(kRecordKey);
    addDrive("ZIB     DVD-ROM KMX4820T", "DA12", 0, 1);
    std::memcpy(appState.imageHeader, "DB13X", 6);
    if (record != kNone) writeRecord(recordOf(appState.driveTable[0]));
    if (record == kStoppedAt10) writeRecordBlock(10);
    if (record == kStoppedAtFinal) writeRecordBlock(63);
    if (record == kCompleted) writeRecordState(kRecordCompleted);
    resetState();
    addDrive("OTHER   CD-RW           ", "1.20", 0, 0);
    const char* id =
        drive == kAnotherAtItsAddress ? "ZIB     DVD-ROM KMX4820Y" : "ZIB     DVD-ROM KMX4820T";
    if (drive != kAbsent) addDrive(id, drive == kReportsOld ? "DA12" : "DB13", 0, 1);
    appState.supportedDriveFound = drive != kAbsent;
    ui.clear();
  }
};

TEST_F(UpdateVerdictTest, TellsWhetherTheUpdateTookAndKeepsTheRecordUntilItHas) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(::testing::Message() << "record " << row.record << ", drive " << row.drive);
    restartWith(row.record, row.drive);
    appState.driveSelected = 1;
    giveUpdateVerdict();
    giveUpdateVerdict();  // once per start
    EXPECT_EQ(ui.boxLog(), row.box.empty() ? std::vector<std::string>{} : std::vector{row.box});
    EXPECT_EQ(system.value(kRecordKey, "State").empty(), !row.recordKept);
  }
}

}  // namespace
}  // namespace flindor::testing
