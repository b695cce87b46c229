#include "scsi/aspi_transport.h"

#include <cstring>
#include <vector>

#include "download/download_sequencer.h"
#include "shell/main_window_commands.h"
#include "shell/window_messages.h"
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
    // The stop a failed DownloadCommand sends goes to the main window, which ends the run there.
    ui.onCommand = [](WindowHandle, std::uintptr_t wParam, std::intptr_t lParam) {
      if (lowWord(wParam) == kCommandDownloadStopped) mainWindowCommand(wParam, lParam);
    };
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

TEST_F(AspiTransportTest, DownloadRecordsCarryTheBlockFromBlockBuffer) {
  struct Case {
    std::uint8_t block;
    std::uint32_t length;
  };
  for (const Case c : {Case{0, 2052}, Case{62, 2052}, Case{63, 2056}}) {
    appState.nextBlock = c.block;
    aspiDownloadCommand();
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
  EXPECT_EQ(appState.nextBlock, 63) << "submitting never moves the sequence";
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

TEST_F(AspiTransportTest, DownloadCompletionMovesToTheNextBlockAndReleasesOnlyTheRecord) {
  std::vector<Flag> inFlightWhenSent;
  ui.onCommand = [&](WindowHandle, std::uintptr_t, std::intptr_t) {
    inFlightWhenSent.push_back(appState.blockInFlight);
  };
  for (std::uint8_t block : {std::uint8_t{5}, std::uint8_t{63}}) {
    appState.nextBlock = block;
    appState.blockInFlight = 1;
    aspiDownloadCommand();
    aspi.complete(SS_COMP);
    EXPECT_EQ(appState.nextBlock, block + 1);
  }
  // Sent to the ControlPanel's parent with the new block number; the guard already down.
  EXPECT_THAT(ui.log(), ElementsAre("command main 40003 6", "command main 40003 64"));
  EXPECT_THAT(inFlightWhenSent, ElementsAre(0u, 0u));
  EXPECT_EQ(heap.releases(), 2);
  EXPECT_EQ(heap.live(), 0);
  EXPECT_EQ(heap.strayReleases(), 0) << "blockBuffer must never go to the heap";
}

TEST_F(AspiTransportTest, DownloadCompletingWithAnErrorStopsAtThatBlock) {
  appState.nextBlock = 10;
  appState.blockInFlight = 1;
  aspiDownloadCommand();
  aspi.complete(SS_ERR);
  // The GUI thread takes the stop (it owns the timer and the session hold) and tells the user.
  EXPECT_THAT(ui.log(),
              ElementsAre("command main 17186 17186", "box panel [WARNING] ERROR  !! 0x30"));
  EXPECT_EQ(appState.nextBlock, 10);
  EXPECT_EQ(appState.blockInFlight, 0u);
  EXPECT_EQ(heap.live(), 0);
  EXPECT_EQ(heap.strayReleases(), 0);
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
    appState.nextBlock = 7;
    appState.blockInFlight = 1;
    aspiDownloadCommand();
    EXPECT_THAT(ui.log(),
                ElementsAre("command main 17186 17186", "box panel [WARNING] ERROR  !! 0x30"));
    EXPECT_EQ(appState.nextBlock, 7);
    EXPECT_EQ(appState.blockInFlight, 0u);
    EXPECT_EQ(heap.live(), 0);
  }
  EXPECT_EQ(heap.strayReleases(), 0);
}

}  // namespace
}  // namespace flindor::testing
