#include "scsi/aspi_transport.h"

#include <cstring>
#include <vector>

#include "scsi/block_answer.h"
#include "tests/fakes/core_fixture.h"
#include "tests/fakes/fake_aspi.h"
#include "tests/fakes/fake_heap.h"

namespace flindor::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::uint8_t> bytesOf(const SrbExecScsiCmd& record) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&record);
  return {p, p + sizeof record};
}

// Packed fields are read by value: the assertions bind references, which must be aligned.
AspiPostProc postProcOf(const FakeAspi::Submission& s) { return s.record.SRB_PostProc; }
std::uint8_t* bufferOf(const FakeAspi::Submission& s) { return s.record.SRB_BufPointer; }

// The answer of a CD/DVD drive to a 36-byte INQUIRY.
std::vector<std::uint8_t> cdDriveAnswer(const char* revision) {
  std::vector<std::uint8_t> data(36, ' ');
  data[0] = 5;
  std::fill(data.begin() + 1, data.begin() + 8, 0);
  std::memcpy(data.data() + 8, "ZIB     KMX4820T", 16);
  std::memcpy(data.data() + 32, revision, 4);
  return data;
}

class AspiTransportTest : public CoreTest {
 protected:
  AspiTransportTest() {
    ports().heap = &heap;
    ports().aspi = &aspi;
    appState.selectedAdapter = 1;
    appState.selectedTarget = 5;
    appState.adapterCount = 2;
    drive.adapterId = 1;
    drive.targetId = 5;
  }

  // The record as it must be, with the two pointers taken from the submitted one.
  SrbExecScsiCmd expectedRecord(std::uint8_t flags, std::uint32_t length,
                                std::vector<std::uint8_t> cdb) {
    SrbExecScsiCmd r;
    std::memset(&r, 0, sizeof r);
    r.SRB_Cmd = 2;
    r.SRB_HaId = 1;
    r.SRB_Flags = flags;
    r.SRB_Target = 5;
    r.SRB_BufLen = length;
    r.SRB_BufPointer = aspi.submissions.back().record.SRB_BufPointer;
    r.SRB_SenseLen = 14;
    r.SRB_CDBLen = 12;
    r.SRB_PostProc = aspi.submissions.back().record.SRB_PostProc;
    std::memcpy(r.CDBByte, cdb.data(), cdb.size());
    return r;
  }

  FakeHeap heap;
  FakeAspi aspi;
  DriveEntry drive{};  // the drive the blocks go to
};

TEST_F(AspiTransportTest, InquiryRecordIsExactAndZeroFilledAndItsBufferCleared) {
  aspiInquiry();

  ASSERT_EQ(aspi.submissions.size(), 1u);
  const FakeAspi::Submission& sent = aspi.submissions[0];
  EXPECT_EQ(bytesOf(sent.record),
            bytesOf(expectedRecord(0x09, 36, {0x12, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0})));
  EXPECT_EQ(postProcOf(sent), &aspiCompletion);
  EXPECT_THAT(heap.sizes(), ElementsAre(256, 36));
  // The heap hands out garbage: the record is cleared over all 256 bytes, the buffer over 36.
  const auto* block = reinterpret_cast<const std::uint8_t*>(sent.live);
  EXPECT_EQ(std::vector<std::uint8_t>(block + sizeof(SrbExecScsiCmd), block + 256),
            std::vector<std::uint8_t>(256 - sizeof(SrbExecScsiCmd), 0));
  EXPECT_EQ(sent.data, std::vector<std::uint8_t>(36, 0));
  EXPECT_THAT(ui.log(), IsEmpty());
}

TEST_F(AspiTransportTest, DownloadRecordsCarryTheBlockFromBlockBufferToTheDrivesAddress) {
  struct Case {
    std::uint8_t block;
    std::uint32_t length;
  };
  appState.selectedAdapter = appState.selectedTarget = 0;  // the drive's own address counts
  for (const Case c : {Case{0, 2052}, Case{62, 2052}, Case{63, 2056}}) {
    aspiSendBlock(drive, c.block);
    const FakeAspi::Submission& sent = aspi.submissions.back();
    EXPECT_EQ(bytesOf(sent.record),
              bytesOf(expectedRecord(0x11, c.length,
                                     {0xFE, 0x11, c.block, 0, 0, 0, 0x96, 0, 0x02, 0, 0, 0})))
        << "block " << int(c.block);
    EXPECT_EQ(bufferOf(sent), appState.blockBuffer);
    EXPECT_EQ(postProcOf(sent), &aspiCompletion);
    const auto* block = reinterpret_cast<const std::uint8_t*>(sent.live);
    EXPECT_EQ(std::vector<std::uint8_t>(block + sizeof(SrbExecScsiCmd), block + 256),
              std::vector<std::uint8_t>(256 - sizeof(SrbExecScsiCmd), 0));
  }
  // One record each, and no buffer: the data goes straight from blockBuffer.
  EXPECT_THAT(heap.sizes(), ElementsAre(8448, 8448, 8448));
  EXPECT_THAT(ui.log(), IsEmpty()) << "the answer comes with the completion";
}

TEST_F(AspiTransportTest, InquiryCompletionHandsTheAnswerToDiscoveryAndReleasesBoth) {
  aspiInquiry();
  aspi.complete(SS_COMP, cdDriveAnswer("DA12"));

  EXPECT_EQ(appState.driveCount, 1);
  EXPECT_STREQ(appState.driveTable[0].identification, "ZIB     KMX4820T        ");
  EXPECT_STREQ(appState.driveTable[0].revision, "DA12");
  EXPECT_EQ(appState.driveTable[0].adapterId, 1);
  EXPECT_EQ(appState.driveTable[0].targetId, 5);
  EXPECT_THAT(ui.log(), ElementsAre("command main 4660 4660"));
  EXPECT_EQ(heap.releases(), 2);
  EXPECT_EQ(heap.live(), 0);
  EXPECT_EQ(heap.strayReleases(), 0);
}

// What the manager's status, host status and target status make of the block, as both back
// ends say it; the answer goes to the main window, and only the record goes back to the heap.
TEST_F(AspiTransportTest, EachCompletionIsAnsweredByKindAndReleasesOnlyTheRecord) {
  using enum BlockAnswerKind;
  const struct Row {
    std::uint8_t status, hostStatus, targetStatus;
    BlockAnswerKind kind;
  } rows[] = {
      {SS_COMP, 0, 0, Completed},
      {SS_ERR, 0, 0x02, DriveError},
      {SS_ERR, HASTAT_TIMEOUT, 0, CallFailed},
      {SS_ERR, HASTAT_SEL_TO, 0, CallFailed},
      {SS_ABORTED, 0, 0, RefusedByHost},
      {SS_INVALID_HA, 0, 0, RefusedByHost},
  };
  for (const Row& row : rows) {
    ui.clear();
    aspiSendBlock(drive, 63);
    aspi.complete(row.status, {}, row.hostStatus, row.targetStatus);
    EXPECT_EQ(blockAnswer.kind, row.kind) << int(row.status);
    EXPECT_EQ(blockAnswer.block, 63);
    EXPECT_EQ(blockAnswer.status, row.status);
    EXPECT_EQ(blockAnswer.hostStatus, row.hostStatus);
    EXPECT_EQ(blockAnswer.targetStatus, row.targetStatus);
    EXPECT_THAT(ui.log(), ElementsAre("command main 17187 17187"));
  }
  EXPECT_EQ(heap.releases(), 6);
  EXPECT_EQ(heap.live(), 0);
  EXPECT_EQ(heap.strayReleases(), 0) << "blockBuffer must never go to the heap";
}

TEST_F(AspiTransportTest, ARequestThatCannotBeSentIsReportedAtOnceAndReleasesAll) {
  // Refused by the manager, no record, no INQUIRY buffer.
  for (int fault : {0, 1, 2}) {
    aspi.answer = fault == 0 ? SS_ASPI_IS_BUSY : SS_PENDING;
    if (fault > 0) heap.failNextAllocation(fault - 1);
    ui.clear();
    aspiInquiry();
    // Discovery counts it as an INQUIRY that failed, and asks the next address.
    EXPECT_EQ(appState.scanIndex, fault + 1);
    EXPECT_EQ(appState.driveCount, 0);
    EXPECT_THAT(ui.log(), ElementsAre("command main 4660 4660"));
    EXPECT_EQ(heap.live(), 0);
    if (fault == 2) continue;  // a DownloadCommand has no buffer of its own

    aspi.answer = fault == 0 ? SS_ASPI_IS_BUSY : SS_PENDING;
    if (fault > 0) heap.failNextAllocation();
    ui.clear();
    aspiSendBlock(drive, 7);
    EXPECT_THAT(ui.log(), ElementsAre("command main 17187 17187"));
    EXPECT_EQ(blockAnswer.kind, BlockAnswerKind::NotSent);
    EXPECT_EQ(blockAnswer.block, 7);
    EXPECT_EQ(blockAnswer.status, fault == 0 ? SS_ASPI_IS_BUSY : 0);
    EXPECT_EQ(heap.live(), 0);
  }
  EXPECT_EQ(heap.strayReleases(), 0);
}

}  // namespace
}  // namespace flindor::testing
