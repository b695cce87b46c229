#include <cstdint>
#include <cstring>

#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

TEST(AppState, StartsZeroExceptTheProgressStep) {
  resetAppState();
  const AppState& s = appState;
  EXPECT_EQ(s.progressStep, 1);
  EXPECT_EQ(s.platformKind, 0);
  EXPECT_EQ(s.driveCount, 0);
  EXPECT_EQ(s.nextBlock, 0);
  EXPECT_EQ(s.imageOpen, 0u);
  EXPECT_EQ(s.downloadConfirmed, 0u);
  EXPECT_EQ(s.selectedDrive, 0);
  EXPECT_EQ(s.mainWindow, nullptr);
  for (const DriveEntry& e : s.driveTable) {
    const DriveEntry zero{};
    EXPECT_EQ(0, std::memcmp(&e, &zero, sizeof e));
  }
  for (std::uint8_t b : s.blockBuffer) ASSERT_EQ(b, 0);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(s.blockBuffer) % 4096, 0u);
}

class SelectDefaultDriveTest : public CoreTest {};

TEST_F(SelectDefaultDriveTest, TakesTheLastDriveFoundOnceAndLeavesTheListSelectionAlone) {
  addDrive("A", "DA01", 0, 1);
  addDrive("B", "DA01", 0, 3);
  addDrive("C", "DA01", 2, 6);
  appState.selectedDrive = 1;
  selectDefaultDrive();
  EXPECT_EQ(appState.selectedAdapter, 2);
  EXPECT_EQ(appState.selectedTarget, 6);
  EXPECT_EQ(appState.driveSelected, 1u);
  EXPECT_EQ(appState.selectedDrive, 1);

  appState.selectedAdapter = 0;
  appState.selectedTarget = 1;
  selectDefaultDrive();  // already taken: nothing changes
  EXPECT_EQ(appState.selectedAdapter, 0);
  EXPECT_EQ(appState.selectedTarget, 1);
}

TEST_F(SelectDefaultDriveTest, NothingWithoutDrives) {
  selectDefaultDrive();
  EXPECT_EQ(appState.driveSelected, 0u);
  EXPECT_EQ(appState.selectedAdapter, 0);
}

}  // namespace
}  // namespace flindor::testing
