// The pass-through back end against the simulated volume stack and drive.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "image/image_commands.h"
#include "image/image_layout.h"
#include "scsi/pass_through_transport.h"
#include "sim/simulated_volumes.h"
#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class PassThroughSimTest : public CoreTest {
 protected:
  PassThroughSimTest() {
    ports().volumes = &volumes;
    std::strcpy(appState.imagePath, "C:\\FW\\NEW.BIN");
    files.add(appState.imagePath, image);
    appState.driveTable[0].driveLetterIndex = 4;  // E:
  }
  ~PassThroughSimTest() override {
    if (HasFailure()) std::cout << "Transcript:\n" << bus.transcriptText();
  }

  // Frames and sends blocks from `first` on, as the sequence does; the first that fails, or 64.
  int sendFrom(int first) {
    for (int block = first; block < kBlockCount; ++block) {
      appState.nextBlock = static_cast<std::uint8_t>(block);
      if (!loadBlock() ||
          passThroughBlock(0, appState.nextBlock).failure != PassThroughFailure::None) {
        return block;
      }
    }
    return kBlockCount;
  }
  std::vector<std::uint8_t> imageData() const { return {image.begin() + 4, image.end()}; }

  std::vector<std::uint8_t> image = patternedImage("DA13");
  sim::SimulatedBus bus;
  sim::SimulatedDrive& drive = bus.addDrive({std::nullopt, 0, 'E'});
  sim::SimulatedVolumes volumes{bus};
};

TEST_F(PassThroughSimTest, InquiryThenACleanRunFlashTheImageIntoTheOutputFile) {
  bus.settings.flashOutputPath = ::testing::TempDir() + "flindor_flashed.bin";
  std::remove(bus.settings.flashOutputPath.c_str());
  ASSERT_EQ(passThroughInquiry(0), 96u);
  EXPECT_EQ(std::string(appState.blockBuffer + 8, appState.blockBuffer + 36),
            "ZIB     KMX4820T        DA12");
  EXPECT_EQ(sendFrom(0), 64);
  std::ifstream file(bus.settings.flashOutputPath, std::ios::binary);
  EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {}), imageData());
  EXPECT_EQ(bus.transcript().front(), "volume E: INQUIRY alloc=96 len=2048 -> GOOD");
  EXPECT_EQ(bus.transcript().back(), "volume E: DOWNLOAD block=63 len=2056 crc=ok -> GOOD");
  EXPECT_EQ(volumes.openHandles(), 0);
  EXPECT_THAT(ui.boxLog(), IsEmpty());
}

TEST_F(PassThroughSimTest, EachFaultStopsTheRunWithItsMessageAndTheBlockCanBeSentAgain) {
  ASSERT_EQ(passThroughInquiry(0), 96u);
  drive.planFault(3, sim::FaultKind::OpenFails);
  drive.planFault(5, sim::FaultKind::IoctlFails);  // taken by the drive, the answer lost
  drive.planFault(7, sim::FaultKind::CheckCondition);
  drive.planFault(9, sim::FaultKind::IoctlRefused);  // never reaches the drive
  drive.planFault(11, sim::FaultKind::TimeOut);      // taken by the drive, the wait ran out
  EXPECT_EQ(sendFrom(0), 3);
  EXPECT_EQ(sendFrom(3), 5);
  EXPECT_EQ(sendFrom(5), 7);
  EXPECT_EQ(sendFrom(7), 9);
  EXPECT_EQ(drive.expectedBlock(), 9);
  EXPECT_EQ(sendFrom(9), 11);
  EXPECT_EQ(sendFrom(11), 64);
  EXPECT_EQ(drive.flashed(), imageData());
  EXPECT_THAT(ui.boxLog(), ElementsAre("box none [Info] DoRoroDor CreateHandle ERROR : \\\\.\\E:" +
                                           std::string(14 + 1, ' ') + " 0x30",
                                       "box none [Info]  Download File Write Error : 5 0x30",
                                       "box none [Info]  Download File Write Error : 9 0x30",
                                       "box none [Info]  Download File Write Error : 11 0x30"));
  EXPECT_EQ(volumes.openHandles(), 0);
}

TEST_F(PassThroughSimTest, TheFinalBlockWaitsOutTheProgrammingAndADriveThatLeavesIsSilent) {
  std::vector<std::uint32_t> waited;
  bus.settings.sleep = [&](std::uint32_t ms) { waited.push_back(ms); };
  bus.settings.programmingDelayMs = 30000;
  EXPECT_EQ(sendFrom(0), 64);
  EXPECT_THAT(waited, ElementsAre(30000));

  drive.planFault(63, sim::FaultKind::DropOff);
  EXPECT_EQ(sendFrom(0), 63);
  EXPECT_EQ(drive.programmings(), 2) << "programmed, then gone";
  EXPECT_EQ(passThroughInquiry(0), 0);
  EXPECT_THAT(ui.boxLog(), IsEmpty());
}

}  // namespace
}  // namespace flindor::testing
