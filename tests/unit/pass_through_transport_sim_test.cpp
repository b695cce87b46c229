// The pass-through back end against the simulated volume stack and drive, what the fault matrix
// leaves out: the flash written out, a time-out, and the drive's own programming time.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scsi/pass_through_transport.h"
#include "tests/fakes/harness_test.h"

namespace flindor::testing {
namespace {

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
  EXPECT_EQ(openVolumes(), 0);
}

TEST_F(PassThroughDownloadTest, EachFaultStopsTheRunWithItsMessageAndTheBlockCanBeSentAgain) {
  ASSERT_NO_FATAL_FAILURE(startUp());
  drive().planFault(3, sim::FaultKind::OpenFails);
  drive().planFault(5, sim::FaultKind::IoctlFails);  // taken by the drive, the answer lost
  drive().planFault(7, sim::FaultKind::CheckCondition);
  drive().planFault(9, sim::FaultKind::IoctlRefused);  // never reaches the drive
  drive().planFault(11, sim::FaultKind::TimeOut);      // taken by the drive, the wait ran out
  std::vector<int> stops;
  for (int tries = 0; tries < 6 && appState.nextBlock < 64; ++tries) {
    download();
    stops.push_back(appState.nextBlock);
  }
  EXPECT_THAT(stops, ElementsAre(3, 5, 7, 9, 11, 64));
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
