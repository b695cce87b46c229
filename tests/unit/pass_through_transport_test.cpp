#include "scsi/pass_through_transport.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "scsi/block_answer.h"
#include "tests/fakes/core_fixture.h"
#include "tests/fakes/fake_volumes.h"

namespace flindor::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kBlanks(14, ' ');
using enum BlockAnswerKind;

std::vector<std::uint8_t> cdbOf(const PassThroughRequest& r) {
  return {r.record.Cdb, r.record.Cdb + 16};
}

class PassThroughTransportTest : public CoreTest {
 protected:
  PassThroughTransportTest() {
    ports().volumes = &volumes;
    addDrive("ZIB     KMX4820T        ", "DA12", 0, 0, /*letter D:*/ 3);
    addDrive("ZIB     KMX4820T        ", "DA12", 0, 0, /*letter E:*/ 4);
  }

  // What every request has in common; the test checks the rest.
  void expectCommonFields(const PassThroughRequest& r) {
    EXPECT_EQ(r.record.Length, sizeof(ScsiPassThroughDirect));
    EXPECT_EQ(r.record.ScsiStatus, 0);
    EXPECT_EQ(r.record.PathId, 0);
    EXPECT_EQ(r.record.TargetId, 0);
    EXPECT_EQ(r.record.Lun, 0);
    EXPECT_EQ(r.record.CdbLength, 12);
    EXPECT_EQ(r.record.SenseInfoLength, 24);
    EXPECT_EQ(r.record.DataBuffer, appState.blockBuffer);
    EXPECT_EQ(r.record.SenseInfoOffset, offsetof(PassThroughRequest, sense));
    EXPECT_EQ(r.filler, 0u);
    EXPECT_EQ(std::vector<std::uint8_t>(r.sense, r.sense + 32), std::vector<std::uint8_t>(32, 0));
  }

  // One DownloadCommand to the drive of entry `entry`, its worker run at once, as a run of its
  // own: the answer it handed to the main window.
  BlockAnswer sendBlock(std::uint8_t entry, std::uint8_t block) {
    blockAnswer = {};
    blockAnswer.block = 0xFF;
    passThroughSendBlock(appState.driveTable[entry], block);
    EXPECT_EQ(ui.log().back(), "command main 17187 17187");
    passThroughReleaseDrive();
    return blockAnswer;
  }

  FakeVolumes volumes;
};

TEST_F(PassThroughTransportTest, InquiryOpensTheEntrysLetterAndAsksFor96BytesIntoBlockBuffer) {
  EXPECT_EQ(passThroughInquiry(1), 2048u);  // the fake leaves the length as asked

  EXPECT_THAT(volumes.openedPaths, ElementsAre("\\\\.\\E:" + kBlanks));
  ASSERT_EQ(volumes.requests.size(), 1u);
  const PassThroughRequest& r = volumes.requests[0];
  expectCommonFields(r);
  EXPECT_EQ(r.record.DataIn, 1);
  EXPECT_EQ(r.record.DataTransferLength, 2048u);
  EXPECT_EQ(r.record.TimeOutValue, 200u);
  EXPECT_THAT(cdbOf(r), ElementsAre(0x12, 0, 0, 0, 0x60, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_THAT(volumes.sizes, ElementsAre(sizeof(PassThroughRequest)));
  EXPECT_EQ(volumes.openHandles(), 0);
  EXPECT_THAT(ui.log(), IsEmpty());
}

TEST_F(PassThroughTransportTest, DownloadRequestsCarryTheBlockWithItsLengthAndTimeOut) {
  struct Case {
    std::uint8_t block;
    std::uint32_t length, timeout;
  };
  for (const Case c : {Case{0, 2052, 2}, Case{62, 2052, 2}, Case{63, 2056, 200}}) {
    const BlockAnswer answer = sendBlock(0, c.block);
    EXPECT_EQ(answer.kind, Completed);
    EXPECT_EQ(answer.block, c.block);
    const PassThroughRequest& r = volumes.requests.back();
    expectCommonFields(r);
    EXPECT_EQ(r.record.DataIn, 0);
    EXPECT_EQ(r.record.DataTransferLength, c.length) << int(c.block);
    EXPECT_EQ(r.record.TimeOutValue, c.timeout) << int(c.block);
    EXPECT_THAT(cdbOf(r),
                ElementsAre(0xFE, 0x11, c.block, 0, 0, 0, 0x96, 0, 0x02, 0, 0, 0, 0, 0, 0, 0));
  }
  // Each run takes the drive: a handle for the blocks, one for its attributes only.
  EXPECT_EQ(volumes.openedPaths, std::vector<std::string>(6, "\\\\.\\D:" + kBlanks));
  EXPECT_EQ(volumes.openHandles(), 0);
  EXPECT_THAT(ui.boxLog(), IsEmpty());
  EXPECT_EQ(worker.started, 3) << "each off the GUI thread";
}

TEST_F(PassThroughTransportTest, InquiryAnswersIntoAClearedBufferAndTellsHowManyBytesCame) {
  // The length the system writes back, and what the transport makes of it.
  for (const auto& [reported, received] :
       {std::pair{0u, 0u}, {11u, 11u}, {96u, 96u}, {5000u, 2048u}}) {
    std::memset(appState.blockBuffer, 0xAA, sizeof appState.blockBuffer);
    bool cleared = false;
    volumes.onRequest = [&](PassThroughRequest& r) {
      const std::uint8_t* data = appState.blockBuffer;
      cleared = std::all_of(data, data + 2048, [](std::uint8_t b) { return b == 0; });
      r.record.DataTransferLength = reported;
    };
    EXPECT_EQ(passThroughInquiry(0), received) << reported;
    EXPECT_TRUE(cleared) << reported;
  }
}

// A transport shows nothing: the download tells the user what its answer means.
TEST_F(PassThroughTransportTest, AVolumeThatCannotBeOpenedIsAnInquiryThatFailedAndABlockNotSent) {
  volumes.openFails = true;
  EXPECT_EQ(passThroughInquiry(1), 0);
  const BlockAnswer answer = sendBlock(1, 9);
  EXPECT_EQ(answer.kind, NotSent);
  EXPECT_EQ(answer.notSent, NotSentReason::VolumeNotOpened);
  EXPECT_THAT(volumes.openedPaths, ElementsAre("\\\\.\\E:" + kBlanks, "\\\\.\\E:" + kBlanks));
  EXPECT_TRUE(volumes.requests.empty());
  EXPECT_THAT(ui.boxLog(), IsEmpty());
}

TEST_F(PassThroughTransportTest, AnErrorStatusIsTheDrivesWhateverTheCallReturned) {
  volumes.scsiStatus = 0x02;  // CHECK CONDITION
  for (bool callSucceeds : {true, false}) {
    volumes.callSucceeds = callSucceeds;
    EXPECT_EQ(passThroughInquiry(0), 0);
    for (const std::uint8_t block : {std::uint8_t{5}, std::uint8_t{63}}) {
      const BlockAnswer answer = sendBlock(0, block);
      EXPECT_EQ(answer.kind, DriveError);
      EXPECT_EQ(answer.status, 0x02);
    }
  }
  EXPECT_THAT(ui.boxLog(), IsEmpty());
  EXPECT_EQ(volumes.openHandles(), 0);
}

TEST_F(PassThroughTransportTest, AFailedCallIsARefusalByTheHostOrAFailureAfterTheBlockWentOut) {
  volumes.callSucceeds = false;
  for (const auto& [error, kind] : {std::pair{87u, RefusedByHost},
                                    {5u, RefusedByHost},
                                    {1117u, CallFailed},
                                    {21u, CallFailed}}) {
    volumes.callError = error;
    EXPECT_EQ(passThroughInquiry(0), 0);
    const BlockAnswer answer = sendBlock(0, 63);
    EXPECT_EQ(answer.kind, kind) << error;
    EXPECT_EQ(answer.error, error) << "the system's reason goes to the download";
  }
  EXPECT_THAT(ui.boxLog(), IsEmpty());
  EXPECT_EQ(volumes.openHandles(), 0);
}

// The run's first block takes the drive: its media-change polling off on a handle opened for its
// attributes, exclusive access on the handle the blocks go through; every later block uses that
// handle, and the run's end gives everything back, once.
TEST_F(PassThroughTransportTest, TheRunsFirstBlockTakesTheDriveAndItsEndGivesItBack) {
  volumes.controlError = 0;
  for (const std::uint8_t block : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{2}}) {
    passThroughSendBlock(appState.driveTable[0], block);
    EXPECT_EQ(blockAnswer.kind, Completed);
    EXPECT_EQ(blockAnswer.controls.taken, block == 0);
  }
  EXPECT_THAT(volumes.openedWith, ElementsAre(VolumeAccess::ReadWrite, VolumeAccess::Attributes));
  EXPECT_EQ(volumes.openHandles(), 2);
  EXPECT_EQ(volumes.requests.size(), 3u);
  passThroughReleaseDrive();
  passThroughReleaseDrive();  // once only
  EXPECT_EQ(volumes.openHandles(), 0);
  // Off and lock as the drive is taken; unlock and on again as it is given back.
  EXPECT_THAT(volumes.controls, ElementsAre(0x2D0944u, 0x2C05Cu, 0x2C05Cu, 0x2D0944u));
}

TEST_F(PassThroughTransportTest, AnEntryIndexOutsideTheTableOrNoThreadOpensNothing) {
  EXPECT_EQ(passThroughInquiry(kDriveTableSize), 0);
  worker.startFails = true;  // no thread for the command: nothing reaches the drive
  const BlockAnswer answer = sendBlock(0, 0);
  EXPECT_EQ(answer.kind, NotSent);
  EXPECT_EQ(answer.notSent, NotSentReason::NoThread);
  EXPECT_THAT(volumes.openedPaths, IsEmpty());
}

}  // namespace
}  // namespace flindor::testing
