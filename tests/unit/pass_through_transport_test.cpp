#include "scsi/pass_through_transport.h"

#include <cstring>
#include <string>
#include <vector>

#include "tests/fakes/core_fixture.h"
#include "tests/fakes/fake_volumes.h"

namespace flindor::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kBlanks(14, ' ');

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

  FakeVolumes volumes;
};

TEST_F(PassThroughTransportTest, InquiryOpensTheEntrysLetterAndAsksFor96BytesIntoBlockBuffer) {
  EXPECT_EQ(passThroughInquiry(1), 1);

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
    EXPECT_EQ(passThroughDownloadCommand(0, c.block), 1);
    const PassThroughRequest& r = volumes.requests.back();
    expectCommonFields(r);
    EXPECT_EQ(r.record.DataIn, 0);
    EXPECT_EQ(r.record.DataTransferLength, c.length) << int(c.block);
    EXPECT_EQ(r.record.TimeOutValue, c.timeout) << int(c.block);
    EXPECT_THAT(cdbOf(r),
                ElementsAre(0xFE, 0x11, c.block, 0, 0, 0, 0x96, 0, 0x02, 0, 0, 0, 0, 0, 0, 0));
  }
  EXPECT_EQ(volumes.openedPaths, std::vector<std::string>(3, "\\\\.\\D:" + kBlanks));
  EXPECT_EQ(volumes.openHandles(), 0);
  EXPECT_THAT(ui.log(), IsEmpty());
}

TEST_F(PassThroughTransportTest, AVolumeThatCannotBeOpenedIsSilentForInquiryAndNamedForDownload) {
  volumes.openFails = true;
  EXPECT_EQ(passThroughInquiry(1), 0);
  EXPECT_THAT(ui.log(), IsEmpty());

  EXPECT_EQ(passThroughDownloadCommand(1, 9), 0);
  const std::string text = "DoRoroDor CreateHandle ERROR : \\\\.\\E:" + kBlanks + " ";
  EXPECT_THAT(ui.log(), ElementsAre("box none [Info] " + text + " 0x30"));
  EXPECT_EQ(appState.messageText, text);
  EXPECT_TRUE(volumes.requests.empty());
}

TEST_F(PassThroughTransportTest, AnErrorStatusFailsSilentlyWhateverTheCallReturned) {
  volumes.scsiStatus = 0x02;  // CHECK CONDITION
  for (bool callSucceeds : {true, false}) {
    volumes.callSucceeds = callSucceeds;
    EXPECT_EQ(passThroughInquiry(0), 0);
    EXPECT_EQ(passThroughDownloadCommand(0, 5), 0);
    EXPECT_EQ(passThroughDownloadCommand(0, 63), 0);
  }
  EXPECT_THAT(ui.log(), IsEmpty());
  EXPECT_EQ(volumes.openHandles(), 0);
}

TEST_F(PassThroughTransportTest, AFailedCallIsReportedOnlyForBlocksBeforeTheFinalOne) {
  volumes.callSucceeds = false;
  EXPECT_EQ(passThroughInquiry(0), 0);
  EXPECT_EQ(passThroughDownloadCommand(0, 63), 0);
  EXPECT_THAT(ui.log(), IsEmpty());

  EXPECT_EQ(passThroughDownloadCommand(0, 5), 0);
  EXPECT_THAT(ui.log(), ElementsAre("box none [Info]  Download File Write Error : 5 0x30"));
  EXPECT_STREQ(appState.messageText, " Download File Write Error : 5");
  EXPECT_EQ(volumes.openHandles(), 0);
}

TEST_F(PassThroughTransportTest, AnEntryIndexOutsideTheTableOpensNothing) {
  EXPECT_EQ(passThroughInquiry(kDriveTableSize), 0);
  EXPECT_EQ(passThroughDownloadCommand(200, 0), 0);
  EXPECT_THAT(volumes.openedPaths, IsEmpty());
}

}  // namespace
}  // namespace flindor::testing
