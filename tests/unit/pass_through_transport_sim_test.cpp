// The pass-through back end against the simulated volume stack and drive, what the fault matrix
// leaves out: the flash written out, a time-out, the drive's own programming time, and what else
// reaches the drive during a run.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "download/run_log.h"
#include "scsi/pass_through_transport.h"
#include "tests/fakes/harness_test.h"

namespace flindor::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(PassThroughDownloadTest, InquiryThenACleanRunFlashTheImageIntoTheOutputFile) {
  bus.settings.flashOutputPath = ::testing::TempDir() + "flindor_flashed.bin";
  std::remove(bus.settings.flashOutputPath.c_str());
  ASSERT_NO_FATAL_FAILURE(startUp());
  download();
  std::ifstream file(bus.settings.flashOutputPath, std::ios::binary);
  EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {}), imageData());
  EXPECT_EQ(bus.transcript().front(), "volume E: INQUIRY alloc=96 len=2048 -> GOOD");
  ASSERT_NE(targetDrive(), nullptr);
  EXPECT_EQ(std::string(targetDrive()->identification) + targetDrive()->revision,
            "ZIB     KMX4820T        DA12");
  EXPECT_THAT(downloadLines().back(), ::testing::HasSubstr("block=63 len=2056 crc=ok -> GOOD"));
  EXPECT_EQ(openVolumes(), 0);
}

TEST_F(PassThroughDownloadTest, EachFaultStopsTheRunWithItsMessageAndTheBlockCanBeSentAgain) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  drive().planFault(3, sim::FaultKind::CheckCondition);
  drive().planFault(3, sim::FaultKind::OpenFails);   // the resume's open: the handle opens per run
  drive().planFault(5, sim::FaultKind::IoctlFails);  // taken by the drive, the answer lost
  drive().planFault(7, sim::FaultKind::CheckCondition);
  drive().planFault(9, sim::FaultKind::IoctlRefused);  // never reaches the drive
  drive().planFault(11, sim::FaultKind::TimeOut);      // taken by the drive, the wait ran out
  std::vector<int> stops;
  for (int tries = 0; tries < 7 && appState.nextBlock < 64; ++tries) {
    download();
    stops.push_back(appState.nextBlock);
  }
  EXPECT_THAT(stops, ElementsAre(3, 3, 5, 7, 9, 11, 64));
  EXPECT_EQ(drive().flashed(), imageData());
  std::vector<std::string> info;
  for (const MessageBoxCall& box : ui.messageBoxes()) {
    if (box.caption == "Info") info.push_back(box.text);
  }
  EXPECT_THAT(info, ElementsAre("DoRoroDor CreateHandle ERROR : \\\\.\\E:" + std::string(15, ' '),
                                " Download File Write Error : 5", " Download File Write Error : 9",
                                " Download File Write Error : 11"));
  EXPECT_EQ(openVolumes(), 0);
}

// The system polls the drive before every command and another program asks for its INQUIRY at
// block 20; a strict drive ends its download at either. The run keeps both away where the system
// has the controls, and says what it could not do where it has not.
TEST_F(PassThroughDownloadTest, NothingElseReachesTheDriveWhileItIsUpdated) {
  const std::string polling = "media-change polling of drive E: ";
  const std::string exclusive = "exclusive access to drive E: ";
  const std::string completion =
      "box main [SUCCESS] \n\n    !!! UPDATE COMPLETE !!!\n\n!!! THIS WILL REBOOT YOUR PC !!!      "
      " "
      "0x40";
  struct Row {
    const char* what;
    bool strict;
    std::string holder;     // another program's exclusive access, taken after discovery
    std::uint32_t refused;  // both controls refused with this error
    int stoppedAt;          // 64: the whole image went
    std::vector<std::string> log;
    std::string box;
  } const kRows[] = {
      {"both kept away",
       true,
       "",
       0,
       64,
       {polling + "off for the update", exclusive + "taken for the update"},
       completion},
      {"NERO holds the drive",
       true,
       "NERO",
       0,
       0,
       {"drive E: is held for exclusive access by NERO",
        "block 0 not sent: another program holds the drive"},
       "box main [WARNING] THE DRIVE IS IN USE BY ANOTHER PROGRAM !!\n\nNERO holds it for itself. "
       "Close that program, then download again. 0x10"},
      {"an older system, a drive that takes it",
       false,
       "",
       1,
       64,
       {polling + "not turned off: IOCTL_STORAGE_MCN_CONTROL failed with error 1",
        exclusive + "not available: IOCTL_CDROM_EXCLUSIVE_ACCESS failed with error 1"},
       completion},
      // What every run met before the controls: the poll before block 1 ends the download.
      {"an older system, a strict drive",
       true,
       "",
       50,
       1,
       {"block 1 failed: error 0, SCSI status 0x02, sense 70 00 05 00 00 00 00 0A 00 00 00 00 2C "
        "00 00 00 00 00"},
       "box none [WARNING] FAIL TO Write Download FILE 0x30"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.what);
    restart();
    logFiles = FakeLogFiles{};
    logStart();
    drive().setStrict(row.strict);
    bus.settings.pollMs = 0;
    bus.settings.otherProgramAtBlock = 20;
    bus.settings.exclusiveHolder = row.holder;
    bus.settings.controlsRefusedError = row.refused;
    ASSERT_NO_FATAL_FAILURE(startUp());
    download();
    programmingAllowancePasses();
    EXPECT_EQ(appState.nextBlock, row.stoppedAt);
    EXPECT_EQ(drive().programmings(), row.stoppedAt == 64 ? 1 : 0);
    if (row.stoppedAt == 64) {
      EXPECT_EQ(drive().flashed(), imageData());
    }
    EXPECT_EQ(sent().size(), std::size_t(row.stoppedAt == 0 ? 0 : row.stoppedAt == 64 ? 64 : 2));
    EXPECT_EQ(appState.downloadConfirmed, row.stoppedAt == 0 ? 0u : 1u) << "withdrawn when held";
    for (const std::string& line : row.log) EXPECT_THAT(logFiles.lines(), Contains(line));
    ASSERT_FALSE(ui.boxLog().empty());
    EXPECT_EQ(ui.boxLog().back(), row.box);
    EXPECT_EQ(openVolumes(), 0);
  }
}

TEST_F(PassThroughDownloadTest, TheFinalBlockWaitsOutTheProgrammingAndADriveThatLeavesIsSilent) {
  std::vector<std::uint32_t> waited;
  bus.settings.sleep = [&](std::uint32_t ms) {
    waited.push_back(ms);
    clock.advance(ms);
  };
  bus.settings.programmingDelayMs = 30000;
  ASSERT_NO_FATAL_FAILURE(startUp());
  download();
  EXPECT_THAT(waited, ElementsAre(30000));
  EXPECT_EQ(system.count("exit windows 6 0"), 1);

  restart();
  ASSERT_NO_FATAL_FAILURE(startUp());
  drive().planFault(63, sim::FaultKind::DropOff);
  download();
  programmingAllowancePasses();
  EXPECT_EQ(drive().programmings(), 1) << "programmed, then gone";
  EXPECT_EQ(passThroughInquiry(0), 0);
  EXPECT_THAT(ui.boxLog(), ElementsAre(::testing::HasSubstr("Cautions"),
                                       ::testing::HasSubstr("UPDATE COMPLETE")));
}

}  // namespace
}  // namespace flindor::testing
