#include "shell/control_panel.h"

#include <cstring>

#include "shell/progress_geometry.h"
#include "shell/window_messages.h"
#include "state/command_ids.h"
#include "state/platform_kind.h"
#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ControlPanelTest : public CoreTest {
 protected:
  ControlPanelTest() {
    addDrive("ZIB     DVD-ROM KMX4820T", "DA10", 0, 1, 3);
    addDrive("OTHER   CD-ROM", "1.00", 0, 4, 5);
    addDrive("ZIB     DVD-ROM KMX4820T", "DC22", 1, 6, 6);
    appState.selectedDrive = 2;
    appState.driveSelected = 1;
    appState.runPhase = RunPhase::Idle;
    appState.imageOpen = 1;
    std::strcpy(appState.imageName, "NEW.BIN");
    std::strcpy(appState.imagePath, "C:\\NEW.BIN");
  }
  void pick(int line) {
    ui.comboSelection = line;
    controlPanelCommand((std::uintptr_t{kComboSelectionChanged} << 16) | kDriveComboId, 0);
  }
};

TEST_F(ControlPanelTest, PickingADriveMakesItTheTargetAndAsksForTheImageAgain) {
  appState.ntDriveIndex = 7;
  pick(1);
  EXPECT_EQ(appState.selectedDrive, 1);
  EXPECT_EQ(appState.selectedAdapter, 0);
  EXPECT_EQ(appState.selectedTarget, 4);
  EXPECT_EQ(appState.imageOpen, 0u);
  EXPECT_STREQ(appState.imageName, "");
  EXPECT_STREQ(appState.imagePath, "C:\\NEW.BIN");
  EXPECT_EQ(appState.ntDriveIndex, 7);  // ASPI platform: left alone
  EXPECT_THAT(ui.log(), ElementsAre("field panel 1002 = Not Open", "field panel 1008 = 1.00",
                                    "field panel 1009 = Not Open"));
  appState.platformKind = kPassThroughPlatform;
  pick(2);
  EXPECT_EQ(appState.ntDriveIndex, 2);
  EXPECT_EQ(appState.selectedAdapter, 1);
  EXPECT_EQ(appState.selectedTarget, 6);
}

TEST_F(ControlPanelTest, NoSelectionOrALineBeyondTheTableChangesNothing) {
  for (int line : {-1, 3, 4, 200}) {
    pick(line);
    EXPECT_EQ(appState.selectedDrive, 2);
    EXPECT_EQ(appState.imageOpen, 1u);
  }
  EXPECT_THAT(ui.log(), IsEmpty());
}

TEST_F(ControlPanelTest, OtherComboNotificationsOnlyTakeTheDefaultDrive) {
  appState.driveSelected = 0;
  controlPanelCommand((std::uintptr_t{3} << 16) | kDriveComboId, 0);  // focus
  EXPECT_EQ(appState.driveSelected, 1u);
  EXPECT_EQ(appState.selectedAdapter, 1);
  EXPECT_EQ(appState.selectedTarget, 6);
  EXPECT_EQ(appState.selectedDrive, 2);
  EXPECT_THAT(ui.log(), IsEmpty());
}

// From the Download's checks (its questions open: another program can still send the panel a
// selection) to the end of its run, the target stays.
TEST_F(ControlPanelTest, FromTheDownloadsChecksToTheEndOfItsRunTheListShowsTheTargetAgain) {
  appState.platformKind = kPassThroughPlatform;
  appState.ntDriveIndex = 2;
  using enum RunPhase;
  for (const RunPhase phase : {Confirming, Confirmed, Framing, BlockOut, Stopped,
                               ProgrammingUnknown, FinalFailed, Completing}) {
    appState.runPhase = phase;
    ui.clear();
    pick(0);
    EXPECT_EQ(appState.selectedDrive, 2) << static_cast<int>(phase);
    EXPECT_EQ(appState.ntDriveIndex, 2);
    EXPECT_EQ(appState.selectedTarget, 0);
    EXPECT_EQ(appState.imageOpen, 1u);
    EXPECT_THAT(ui.log(), ElementsAre("combo select combo 2"));
  }
}

TEST_F(ControlPanelTest, ForwardsTheToolbarsCommandsUnchangedAndNothingElse) {
  for (std::uintptr_t id : {40002u, 40003u, 40004u, 40005u, 40006u, 0u, 102u}) {
    controlPanelCommand(id, 77);
  }
  EXPECT_THAT(ui.log(), ElementsAre("command main 40003 77", "command main 40004 77",
                                    "command main 40005 77"));
  EXPECT_TRUE(forwardsNotification(kToolTipNeedTextA));
  EXPECT_FALSE(forwardsNotification(-530));
  EXPECT_FALSE(forwardsNotification(0));
}

TEST_F(ControlPanelTest, CreationWritesThePlaceholders) {
  controlPanelCreated();
  EXPECT_THAT(ui.log(), ElementsAre("field panel 1002 = NOT OPEN", "field panel 1008 = ????",
                                    "field panel 1009 = NOT OPEN"));
}

TEST(ProgressGeometry, FillAndRepaintAreaForEachStep) {
  EXPECT_EQ(progressFill(1), (PixelRect{35, 132, 44, 148}));
  EXPECT_EQ(progressFill(2), (PixelRect{35, 132, 53, 148}));
  EXPECT_EQ(progressFill(33).right, 332);
  EXPECT_EQ(progressFill(34), (PixelRect{35, 132, 341, 148}));
  EXPECT_EQ(progressInvalidArea(2), (PixelRect{35, 131, 53, 148}));
  EXPECT_EQ(progressInvalidArea(34), kProgressStrip);
}

TEST_F(ControlPanelTest, EachTickAddsAStepUpToFullAndRepaintsTheFill) {
  progressTick();
  EXPECT_EQ(appState.progressStep, 2);
  for (int i = 0; i < 40; ++i) progressTick();
  EXPECT_EQ(appState.progressStep, 34);
  const auto log = ui.log();
  ASSERT_EQ(log.size(), 41u);
  EXPECT_EQ(log.front(), "invalidate panel 35,131,53,148");
  EXPECT_EQ(log[31], "invalidate panel 35,131,332,148");
  EXPECT_EQ(log.back(), "invalidate panel 35,131,341,148");
}

TEST_F(ControlPanelTest, PassThroughHandOffReportsDiscoveryOnceAtTheFirstPaint) {
  controlPanelPainted();  // ASPI platform: never
  EXPECT_THAT(ui.log(), IsEmpty());
  appState.platformKind = kPassThroughPlatform;
  appState.supportedDriveFound = 1;
  controlPanelPainted();
  controlPanelPainted();
  EXPECT_THAT(ui.log(), ElementsAre("command main 17185 17185"));
}

TEST_F(ControlPanelTest, PassThroughHandOffWithoutASupportedDriveEndsTheRunOnce) {
  appState.platformKind = kPassThroughPlatform;
  ui.onMessageBox = [](const MessageBoxCall&) { controlPanelPainted(); };  // repaint behind it
  controlPanelPainted();
  EXPECT_THAT(
      ui.log(),
      ElementsAre("box main [No VADADE]  There is NO ZIB DVD-ROM Drive KMX4820T  Attached.  "
                  "0x10",
                  "quit 0"));
}

}  // namespace
}  // namespace flindor::testing
