// The verdict after the restart as one table: what the record says × what the drive at its
// address reports → the box shown and what becomes of the record; then when it comes.
#include "download/update_verdict.h"

#include <cstring>

#include "download/update_record.h"
#include "platform/private_commands.h"
#include "scsi/discovery.h"
#include "shell/main_window_commands.h"
#include "sim/simulated_volumes.h"
#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

enum class Record { None, StartedAt10, StartedAtFinal, Completed };
enum class Drive { ReportsNew, ReportsOld, Absent, AnotherAtItsAddress };

constexpr char kComplete[] =
    "box main [SUCCESS] The drive now reports DB13.\n\nThe firmware update is complete. 0x40";
const std::string kPowerCycle =
    ".\n\nSwitch the PC off, wait ten seconds, switch it on and start FLINDOR again.";
const std::string kNotTaken =
    "box main [WARNING] The drive ZIB DVD-ROM KMX4820T at adapter 0, target 1 still reports DA12, "
    "not DB13: the download ";
const std::string kAgain = kPowerCycle +
                           " If the drive then still reports DA12, download the "
                           "image again. 0x30";
const std::string kMissing =
    "box main [WARNING] FLINDOR cannot find the drive ZIB DVD-ROM KMX4820T at adapter 0, target "
    "1, whose firmware it was updating from DA12 to DB13: the download ";

struct Row {
  Record record;
  Drive drive;
  std::string box;  // "" for none
  bool recordKept;
};

const Row kRows[] = {
    {Record::None, Drive::ReportsNew, "", false},
    {Record::None, Drive::ReportsOld, "", false},
    {Record::None, Drive::Absent, "", false},
    {Record::None, Drive::AnotherAtItsAddress, "", false},
    {Record::Completed, Drive::ReportsNew, kComplete, false},
    {Record::Completed, Drive::ReportsOld, kNotTaken + "completed" + kAgain, true},
    {Record::Completed, Drive::Absent, kMissing + "completed" + kPowerCycle + " 0x30", true},
    {Record::Completed, Drive::AnotherAtItsAddress, kMissing + "completed" + kPowerCycle + " 0x30",
     true},
    // The final block went out; whether the drive programmed is known only from what it reports.
    {Record::StartedAtFinal, Drive::ReportsNew, kComplete, false},
    {Record::StartedAtFinal, Drive::ReportsOld, kNotTaken + "stopped at block 63" + kAgain, true},
    {Record::StartedAtFinal, Drive::Absent,
     kMissing + "stopped at block 63" + kPowerCycle + " 0x30", true},
    {Record::StartedAtFinal, Drive::AnotherAtItsAddress,
     kMissing + "stopped at block 63" + kPowerCycle + " 0x30", true},
    // The flash was never programmed: said once, as the drive runs its firmware as before.
    {Record::StartedAt10, Drive::ReportsNew,
     "box main [WARNING] The firmware update of the drive ZIB DVD-ROM KMX4820T at adapter 0, "
     "target 1 did not complete: the download stopped at block 10, before the drive programmed "
     "its flash, so it keeps its firmware DB13.\n\nOpen the image and download it again. 0x30",
     false},
    {Record::StartedAt10, Drive::ReportsOld,
     "box main [WARNING] The firmware update of the drive ZIB DVD-ROM KMX4820T at adapter 0, "
     "target 1 did not complete: the download stopped at block 10, before the drive programmed "
     "its flash, so it keeps its firmware DA12.\n\nOpen the image and download it again. 0x30",
     false},
    {Record::StartedAt10, Drive::Absent, kMissing + "stopped at block 10" + kPowerCycle + " 0x30",
     true},
    {Record::StartedAt10, Drive::AnotherAtItsAddress,
     kMissing + "stopped at block 10" + kPowerCycle + " 0x30", true},
};

class UpdateVerdictTest : public CoreTest {
 protected:
  // The record of an update of the drive at 0:1 from DA12 to DB13, as far as `record` says.
  void writeRecordOf(Record record) {
    if (record == Record::None) return;
    addDrive("ZIB     DVD-ROM KMX4820T", "DA12", 0, 1);
    appState.selectedTarget = 1;
    std::memcpy(appState.imageHeader, "DB13X", 6);
    std::memcpy(appState.imageName, "NEW.BIN", 8);
    ASSERT_TRUE(writeRecord(recordOf(appState.driveTable[0])));
    if (record == Record::StartedAt10) writeRecordBlock(10);
    if (record == Record::StartedAtFinal) writeRecordBlock(63);
    if (record == Record::Completed) writeRecordState(kRecordCompleted);
    resetState();
  }
  // The drive table after the restart: another drive first, then the one at 0:1, if any.
  void discover(Drive drive) {
    addDrive("OTHER   CD-RW           ", "1.20", 0, 0);
    if (drive == Drive::ReportsNew) addDrive("ZIB     DVD-ROM KMX4820T", "DB13", 0, 1);
    if (drive == Drive::ReportsOld) addDrive("ZIB     DVD-ROM KMX4820T", "DA12", 0, 1);
    if (drive == Drive::AnotherAtItsAddress) addDrive("ZIB     DVD-ROM KMX4820Y", "DB13", 0, 1);
    appState.supportedDriveFound = drive != Drive::Absent;
    appState.driveSelected = 1;
  }
};

TEST_F(UpdateVerdictTest, TellsWhetherTheUpdateTookAndKeepsTheRecordUntilItHas) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(::testing::Message() << "record " << static_cast<int>(row.record) << ", drive "
                                      << static_cast<int>(row.drive));
    system.deleteMachineKey(kRecordKey);
    writeRecordOf(row.record);
    discover(row.drive);
    ui.clear();
    giveUpdateVerdict();
    giveUpdateVerdict();  // once per start
    if (row.box.empty()) {
      EXPECT_THAT(ui.boxLog(), IsEmpty());
    } else {
      EXPECT_THAT(ui.boxLog(), ElementsAre(row.box));
    }
    EXPECT_EQ(system.hasKey(kRecordKey), row.recordKept);
    resetState();
  }
}

// Pass-through, the drive gone: the start-up's own message first, then the verdict, with no
// window left to own it; the run ends as before.
TEST_F(UpdateVerdictTest, ComesAfterTheStartUpsOwnMessageWhenNoDriveIsFound) {
  writeRecordOf(Record::Completed);
  sim::SimulatedBus noDrives;
  sim::SimulatedVolumes volumes(noDrives);
  ports().volumes = &volumes;
  appState.platformKind = 1;
  system.setValue(kRecordKey, "Address", std::string("drive E:") + '\0');
  mainWindowCreated(kMainWindow);
  const auto boxes = ui.boxLog();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "box none [No VADADE]  There is NO DVD-ROM Drive KMX4820T  Attached.  0x10");
  EXPECT_EQ(boxes[1].rfind("box none [WARNING] FLINDOR cannot find the drive ZIB DVD-ROM "
                           "KMX4820T at drive E:",
                           0),
            0u)
      << boxes[1];
  EXPECT_TRUE(system.hasKey(kRecordKey));
}

// With the drives listed, the verdict waits for the message loop: the window's own command,
// taken once.
TEST_F(UpdateVerdictTest, FollowsDiscoveryThroughThePostedCommandOnce) {
  writeRecordOf(Record::Completed);
  discover(Drive::ReportsNew);
  appState.driveSelected = 0;
  mainWindowCommand(kCommandDiscoveryFinished, kCommandDiscoveryFinished);  // no token: ignored
  EXPECT_THAT(ui.posted, IsEmpty());
  const PrivateCommand finished =
      privateCommand(kCommandDiscoveryFinished, expectCommand(kCommandDiscoveryFinished));
  mainWindowCommand(finished.wParam, finished.lParam);
  EXPECT_THAT(ui.boxLog(), IsEmpty()) << "not from inside discovery";
  ASSERT_EQ(ui.posted.size(), 1u);
  mainWindowCommand(ui.posted[0].first, ui.posted[0].second);
  mainWindowCommand(ui.posted[0].first, ui.posted[0].second);
  EXPECT_THAT(ui.boxLog(), ElementsAre(kComplete));
  EXPECT_FALSE(system.hasKey(kRecordKey));
}

}  // namespace
}  // namespace flindor::testing
