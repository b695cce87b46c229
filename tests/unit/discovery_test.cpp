#include "scsi/discovery.h"

#include <algorithm>
#include <cstring>

#include "platform/private_commands.h"
#include "scsi/aspi_request.h"
#include "shell/control_panel.h"
#include "shell/discovery_report.h"
#include "shell/main_window_commands.h"
#include "state/command_ids.h"
#include "tests/fakes/core_fixture.h"
#include "tests/fakes/harness_test.h"

namespace flindor::testing {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Ne;

sim::DriveIdentity identity(const char* vendor, const char* revision, std::uint8_t type = 5) {
  sim::DriveIdentity identity;
  identity.vendor = vendor;
  identity.revision = revision;
  identity.peripheralType = type;
  return identity;
}

std::string identification(int entry) {
  return std::string(appState.driveTable[entry].identification);
}

// ---- Pass-through: drive letters probed synchronously inside WM_CREATE ----

class PassThroughDiscoveryTest : public HarnessTest {
 protected:
  PassThroughDiscoveryTest() : HarnessTest({.platform = kPassThroughPlatform, .zibDrive = false}) {}
  void addAt(char letter, sim::DriveIdentity identity) {
    bus.addDrive(sim::DeviceAddress{std::nullopt, 0, letter}, std::move(identity));
  }
};

TEST_F(PassThroughDiscoveryTest, RecordsZibDrivesInLetterOrderAndHandsTheLastOneOver) {
  addAt('B', identity("HL-DT-ST", "1.00"));
  addAt('D', identity("ZIB", "DA12"));
  addAt('E', identity("zib", "DA12"));  // the vendor test is case-sensitive
  addAt('F', identity("ZIB", "DC30"));
  addAt('I', identity("ZIB", "DB12"));  // beyond H: is never probed
  startDiscovery();
  EXPECT_THAT(ui.log(), IsEmpty());
  ASSERT_EQ(appState.driveCount, 2);
  EXPECT_EQ(appState.driveTable[0].driveLetterIndex, 3);
  EXPECT_EQ(appState.driveTable[1].driveLetterIndex, 5);
  EXPECT_EQ(identification(1), "ZIB     KMX4820T        ");
  EXPECT_STREQ(appState.driveTable[1].revision, "DC30");
  EXPECT_EQ(appState.driveTable[1].present, 1);
  EXPECT_EQ(appState.supportedDriveFound, 1u);
  EXPECT_EQ(appState.scanIndex, 7);
  EXPECT_EQ(openVolumes(), 0);

  EXPECT_EQ(finishDiscovery(), DiscoveryResult::DrivesListed);
  EXPECT_EQ(appState.selectedDrive, 1);
  EXPECT_EQ(appState.ntDriveIndex, 1);
  EXPECT_EQ(appState.driveSelected, 1u);
  const std::string name = "ZIB     KMX4820T        ";
  EXPECT_THAT(
      ui.log(),
      ElementsAre("text combo = " + name, "combo add combo " + name, "field panel 1008 = DA12",
                  "text combo = " + name, "combo add combo " + name, "field panel 1008 = DC30",
                  "show main", "show panel", "show combo", "field panel 1002 = Not Open",
                  "field panel 1008 = DC30", "field panel 1009 = Not Open"));
}

TEST_F(PassThroughDiscoveryTest, AShortAnswerAfterAZibDriveIsNotRecordedNorTheTarget) {
  // A device that answers GOOD with fewer bytes than vendor, product and revision need.
  for (const auto& [bytes, recorded] :
       {std::pair{0u, false}, {10u, false}, {11u, false}, {35u, false}, {36u, true}}) {
    ProgramHarness row({.platform = kPassThroughPlatform, .zibDrive = false});
    row.bus.addDrive(sim::DeviceAddress{std::nullopt, 0, 'D'}, identity("ZIB", "DB10"));
    sim::DriveIdentity shortAnswer = identity("ZIB", "DC30");
    shortAnswer.inquiryBytes = bytes;
    row.bus.addDrive(sim::DeviceAddress{std::nullopt, 0, 'E'}, shortAnswer);
    startDiscovery();
    finishDiscovery();
    EXPECT_EQ(appState.driveCount, recorded ? 2 : 1) << bytes;
    EXPECT_EQ(appState.driveTable[appState.ntDriveIndex].driveLetterIndex, recorded ? 4 : 3)
        << bytes;
  }
}

// A record of an update gets its verdict after the message, before the quit request (which would
// close a box shown after it at once): the drive it names is not there.
TEST_F(PassThroughDiscoveryTest, NoZibDriveOnAToHEndsTheRunFromWindowCreation) {
  addAt('C', identity("OTHER", "DA12"));
  addAt('J', identity("ZIB", "DA12"));
  system.setValue("Software\\FLINDOR", "State", "completed");
  mainWindowCreated(kMainWindow);
  controlPanelPainted();  // the first paint, before the quit request ends the loop: said once
  EXPECT_EQ(appState.driveCount, 0);
  EXPECT_THAT(ui.log(),
              ElementsAre("box none [No VADADE]  There is NO DVD-ROM Drive KMX4820T  Attached.  "
                          "0x10",
                          ::testing::StartsWith("box none [WARNING] FLINDOR's record of an earlier "
                                                "firmware update is incomplete"),
                          "quit 0"));
}

TEST_F(PassThroughDiscoveryTest, AFifthZibDriveIsIgnoredWithoutWritingPastTheTable) {
  for (char letter : {'A', 'B', 'C', 'D', 'E', 'F'}) addAt(letter, identity("ZIB", "DB01"));
  startDiscovery();
  EXPECT_EQ(appState.driveCount, 4);
  EXPECT_EQ(appState.driveTable[3].driveLetterIndex, 3);
  EXPECT_EQ(probeDriveLetter(4, 4), 0);
}

TEST_F(PassThroughDiscoveryTest, ARejectedDriveLeavesItsEntryFreeForTheNextLetter) {
  addAt('A', identity("OTHER", "DA12"));
  EXPECT_EQ(probeDriveLetter(0, 0), 0);
  EXPECT_EQ(appState.driveTable[0].present, 0);
  EXPECT_EQ(probeDriveLetter(7, 0), 0);  // no device there: the open fails
  EXPECT_THAT(ui.log(), IsEmpty());
}

TEST_F(PassThroughDiscoveryTest, NextInquiryIsNotExpectedHere) {
  const PrivateCommand next =
      privateCommand(kCommandNextInquiry, expectCommand(kCommandNextInquiry));
  mainWindowCommand(next.wParam, next.lParam);
  EXPECT_THAT(ui.log(),
              ElementsAre("box none [Info] WINDOW NT, 2000, XP Version Inquiry Error !!  0x30"));
}

// ---- ASPI: one INQUIRY per address, each completion asking for the next ----

std::vector<std::uint8_t> inquiryData(std::uint8_t type, const char* revision,
                                      const char* vendor = "ZIB") {
  std::vector<std::uint8_t> data(36, ' ');
  data[0] = type;
  std::memcpy(data.data() + 8, vendor, std::strlen(vendor));
  std::memcpy(data.data() + 16, "PRODUCT", 7);
  std::memcpy(data.data() + 32, revision, 4);
  return data;
}

class AspiRecordTest : public CoreTest {
 protected:
  AspiRecordTest() { appState.adapterCount = 1; }
  void answer(std::uint8_t status, std::uint8_t type, const char* revision, std::uint8_t target,
              const char* vendor = "ZIB") {
    const auto data = inquiryData(type, revision, vendor);
    recordInquiry(InquiryCompletion{status, 0, target, data.data()});
  }
};

TEST_F(AspiRecordTest, RecordsCompletedCdDvdDevicesAndJudgesTheModelByVendorAndRevision) {
  struct Case {
    std::uint8_t status, type;
    const char* revision;
    bool recorded, supported;
    const char* vendor = "ZIB";
  };
  const Case cases[] = {
      {SS_COMP, 5, "DB10", true, true},
      {SS_COMP, 5, "dc10", true, true},
      {SS_COMP, 5, "dA10", true, true},
      {SS_COMP, 5, "DD10", true, false},
      {SS_COMP, 5, "Dz10", true, false},
      {SS_COMP, 5, "EA10", true, false},
      {SS_COMP, 0, "DA10", false, false},
      {SS_COMP, 0x25, "DA10", false, false},
      {SS_ERR, 5, "DA10", false, false},
      {0x82, 5, "DA10", false, false},
      // Another maker's revision may carry the model letters too.
      {SS_COMP, 5, "DA01", true, false, "OTHER"},
      {SS_COMP, 5, "DB10", true, false, "zib"},
  };
  for (const Case& c : cases) {
    resetState();
    appState.adapterCount = 1;
    answer(c.status, c.type, c.revision, 6, c.vendor);
    EXPECT_EQ(appState.driveCount, c.recorded ? 1 : 0) << c.revision << " " << int(c.type);
    EXPECT_EQ(appState.supportedDriveFound, c.supported ? 1u : 0u) << c.revision;
    EXPECT_EQ(appState.scanIndex, 1);  // the address counts either way
    if (c.recorded) {
      EXPECT_EQ(appState.driveTable[0].targetId, 6);
      EXPECT_EQ(std::string(appState.driveTable[0].revision), std::string(c.revision));
    }
  }
}

TEST_F(AspiRecordTest, TheRevisionIsExactlyBytes32To35) {
  std::vector<std::uint8_t> data = inquiryData(5, "DB10");
  data.push_back('X');  // byte 36, past the revision, must never show up in it
  recordInquiry(InquiryCompletion{SS_COMP, 0, 2, data.data()});
  EXPECT_STREQ(appState.driveTable[0].revision, "DB10");
  EXPECT_STREQ(appState.driveTable[0].identification, "ZIB     PRODUCT         ");
}

TEST_F(AspiRecordTest, AsksForTheNextAddressUntilTheLastThenReportsTheEnd) {
  for (std::uint8_t target = 0; target < 8; ++target) answer(SS_ERR, 0, "    ", target);
  const auto log = ui.log();
  ASSERT_EQ(log.size(), 8u);
  EXPECT_EQ(log[6], "command main 4660 4660");
  EXPECT_EQ(log[7], "command main 17185 17185");
}

TEST_F(AspiRecordTest, AFifthDriveIsIgnoredAndTheScanGoesOn) {
  for (std::uint8_t target = 0; target < 6; ++target) answer(SS_COMP, 5, "DA10", target);
  EXPECT_EQ(appState.driveCount, 4);
  EXPECT_EQ(appState.driveTable[3].targetId, 3);
  EXPECT_EQ(appState.scanIndex, 6);
}

TEST_F(AspiRecordTest, ThirtyTwoOrMoreAdaptersAreScannedAsThirtyOne) {
  appState.adapterCount = 40;
  for (int address = 0; address < 248; ++address) answer(SS_ERR, 0, "    ", 0);
  EXPECT_EQ(ui.log().back(), "command main 17185 17185");
  EXPECT_EQ(ui.log().size(), 248u);
}

class AspiDiscoveryTest : public HarnessTest {
 protected:
  AspiDiscoveryTest()
      : HarnessTest({.platform = kAspiPlatform, .run = Run::Threads, .zibDrive = false}) {}
  void addAt(std::uint8_t adapter, std::uint8_t target, sim::DriveIdentity identity) {
    bus.addDrive(sim::DeviceAddress{adapter, target, 0}, std::move(identity));
  }
  void discover(std::uint8_t adapters) {
    appState.adapterCount = adapters;
    bus.settings.adapters = adapters;
    ProgramHarness::discover();
  }
  std::vector<std::string> inquiries() {
    std::vector<std::string> lines;
    for (const std::string& line : bus.transcript()) {
      if (line.find("INQUIRY") != std::string::npos || line.find("0x12") != std::string::npos) {
        lines.push_back(line);
      }
    }
    return lines;
  }
};

TEST_F(AspiDiscoveryTest, ScansEveryTargetOfEveryAdapterOnTheCompletionThread) {
  addAt(0, 2, identity("ZIB", "DB10"));
  addAt(1, 0, identity("DISK", "1.00", 0));
  addAt(1, 5, identity("OTHER", "DA01"));  // the model letters, but another maker's
  discover(2);
  EXPECT_EQ(appState.scanIndex, 16);
  EXPECT_EQ(inquiries().size(), 16u) << bus.transcriptText();
  ASSERT_EQ(appState.driveCount, 2);
  EXPECT_EQ(appState.driveTable[0].adapterId, 0);
  EXPECT_EQ(appState.driveTable[0].targetId, 2);
  EXPECT_EQ(appState.driveTable[1].adapterId, 1);
  EXPECT_EQ(appState.driveTable[1].targetId, 5);
  // Both are listed, but another maker's drive found last never becomes the default target:
  // the supported one does, and the edit field and the old version show it.
  EXPECT_EQ(appState.selectedDrive, 0);
  EXPECT_EQ(appState.selectedAdapter, 0);
  EXPECT_EQ(appState.selectedTarget, 2);
  EXPECT_EQ(ui.fields()[1008], "DB10");
  const auto log = ui.log();
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& l) { return l.rfind("combo add", 0) == 0; }),
            2);
  std::vector<std::string> shown;
  for (const std::string& l : log) {
    if (l.rfind("text combo", 0) == 0) shown.push_back(l.substr(0, 16));
  }
  EXPECT_THAT(shown, ::testing::ElementsAre("text combo = ZIB"));
  EXPECT_EQ(heap.live(), 0);
  EXPECT_EQ(heap.strayReleases(), 0);
  // Each completion asked for the next address from the manager's own thread.
  EXPECT_EQ(senders[kCommandNextInquiry].size(), 15u);
  EXPECT_THAT(senders[kCommandNextInquiry], Each(Ne(gui->id())));
}

TEST_F(AspiDiscoveryTest, StartsAtAddressZeroWithAnEmptyTableAndLeavesNoImageOpen) {
  addAt(0, 2, identity("ZIB", "DB10"));
  appState.scanIndex = 9;  // whatever the fields held before
  appState.driveCount = 3;
  appState.selectedAdapter = 2;
  appState.selectedTarget = 5;
  appState.imageOpen = 1;
  discover(1);
  ASSERT_FALSE(inquiries().empty());
  EXPECT_EQ(inquiries()[0].rfind("aspi 0:0 ", 0), 0u) << inquiries()[0];
  EXPECT_EQ(appState.driveCount, 1);
  EXPECT_EQ(appState.imageOpen, 0u);
  ui.clear();
  command(kCommandDownload);  // Download right after: no image yet
  EXPECT_THAT(ui.log(), ElementsAre("beep", "box main [WARNING] FLASH FILE NOT OPEN!! 0x10"));
}

TEST_F(AspiDiscoveryTest, CdDvdDrivesButNoneSupportedEndTheRun) {
  addAt(0, 1, identity("OTHER", "DD10"));
  discover(1);
  EXPECT_THAT(ui.messageBoxes().size(), 1u);
  const auto log = ui.log();
  EXPECT_EQ(log.back(), "destroy main");
  EXPECT_EQ(log[log.size() - 2],
            "box main [No VADADE]  There is NO ZIB DVD-ROM Drive KMX4820T  Attached.  0x10");
}

TEST_F(AspiDiscoveryTest, NoCdDvdDeviceEndsTheRun) {
  addAt(0, 0, identity("DISK", "DA10", 0));
  discover(1);
  const auto log = ui.log();
  EXPECT_EQ(log.back(), "destroy main");
  EXPECT_EQ(log[log.size() - 2], "box main [No ROM Drive]  No DVD-ROM Drive Attached. 0x10");
}

}  // namespace
}  // namespace flindor::testing
