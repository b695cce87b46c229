#include "shell/main_window_commands.h"

#include "download/download_sequencer.h"
#include "platform/private_commands.h"
#include "scsi/discovery.h"
#include "shell/window_messages.h"
#include "state/command_ids.h"
#include "state/platform_kind.h"
#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class MainWindowCommandsTest : public CoreTest {
 protected:
  MainWindowCommandsTest() { appState.runPhase = RunPhase::Idle; }
  // A command as the window system delivers it: the notification code in the high word.
  void command(std::uint16_t id, std::intptr_t lParam = 0, std::uint16_t code = 0) {
    mainWindowCommand((std::uintptr_t{code} << 16) | id, lParam);
  }
};

TEST_F(MainWindowCommandsTest, RoutesMenuToolbarAndAcceleratorCommandsAlike) {
  command(kCommandAbout, 0, 0);  // menu
  command(kCommandAbout, 0, 1);  // accelerator-style notification code
  command(kCommandOpen);         // cancelled file dialog
  command(kCommandDownload);     // no image: beep and message
  command(kCommandAccelerator);  // Alt+/ and Alt+?: nothing
  command(12345);
  command(kCommandExit);
  EXPECT_THAT(ui.log(),
              ElementsAre("dialog 104 main", "dialog 104 main", "file dialog main initial *.BIN",
                          "beep", "box main [WARNING] FLASH FILE NOT OPEN!! 0x10", "quit 0"));
}

TEST_F(MainWindowCommandsTest, PrivateCommandsActOnlyWithTheTokenTheProgramGaveThemOnce) {
  appState.runPhase = RunPhase::Discovering;
  appState.platformKind = kPassThroughPlatform;
  // What another program can send: the id in both low words, anything above them.
  command(kCommandNextInquiry, kCommandNextInquiry);
  command(kCommandNextInquiry, 0x7FFF0000 | kCommandNextInquiry);
  command(kCommandDiscoveryFinished, kCommandDiscoveryFinished);
  const PrivateCommand finished =
      privateCommand(kCommandDiscoveryFinished, expectCommand(kCommandDiscoveryFinished));
  mainWindowCommand(finished.wParam, finished.lParam - 1);  // the id's low word altered
  EXPECT_THAT(ui.log(), IsEmpty());
  mainWindowCommand(finished.wParam, finished.lParam);
  mainWindowCommand(finished.wParam, finished.lParam);  // taken once only
  EXPECT_THAT(ui.log(), ElementsAre("box main [No ROM Drive]  No DVD-ROM Drive Attached. 0x10",
                                    "destroy main"));
}

TEST_F(MainWindowCommandsTest, ExitOpenAndAboutAreRefusedSilentlyOnceADownloadIsCommitted) {
  for (int which = 0; which < 2; ++which) {
    resetState();
    (which == 0 ? appState.downloadConfirmed : appState.finalBlockBusy) = 1;
    ui.clear();
    command(kCommandExit);
    command(kCommandOpen);
    command(kCommandAbout);
    EXPECT_THAT(ui.log(), IsEmpty());
  }
}

TEST_F(MainWindowCommandsTest, AboutTakesTheLastDriveFoundAsTargetFirst) {
  addDrive("ZIB A", "DA10", 0, 1);
  addDrive("ZIB B", "DB10", 0, 2);
  addDrive("ZIB C", "DC10", 1, 4);
  appState.selectedDrive = 0;
  command(kCommandAbout);
  EXPECT_EQ(appState.driveSelected, 1u);
  EXPECT_EQ(appState.selectedAdapter, 1);
  EXPECT_EQ(appState.selectedTarget, 4);
  EXPECT_EQ(appState.selectedDrive, 0);
  EXPECT_THAT(ui.log(), ElementsAre("dialog 104 main"));
}

TEST_F(MainWindowCommandsTest, ToolTipsNameTheThreeButtonsOnly) {
  EXPECT_STREQ(toolTipText(kCommandDownload), "Start Download");
  EXPECT_STREQ(toolTipText(kCommandAbout), "About FLINDOR");
  EXPECT_STREQ(toolTipText(kCommandOpen), "Open Bin File");
  EXPECT_EQ(toolTipText(kCommandExit), nullptr);
  EXPECT_EQ(toolTipText(0), nullptr);
}

TEST_F(MainWindowCommandsTest, DestroyEndsTheRun) {
  mainWindowDestroyed();
  EXPECT_THAT(ui.log(), ElementsAre("quit 0"));
}

}  // namespace
}  // namespace flindor::testing
