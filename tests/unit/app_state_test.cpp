#include <cstdint>
#include <cstring>
#include <vector>

#include "state/platform_kind.h"
#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

TEST(AppState, StartsZeroExceptTheProgressStep) {
  resetAppState();
  const AppState& s = appState;
  EXPECT_EQ(s.progressStep, 1);
  EXPECT_EQ(s.runPhase, RunPhase::Discovering);
  EXPECT_EQ(s.platformKind, kAspiPlatform);
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
  // The storage stack takes blockBuffer as a direct buffer, and refuses one that is not aligned
  // to the adapter's alignment mask.
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(s.blockBuffer) % 4096, 0u);
  EXPECT_EQ(sizeof s.blockBuffer, 2057u);  // the final frame, 2056 bytes, and a zero behind
}

class SelectDefaultDriveTest : public CoreTest {};

TEST_F(SelectDefaultDriveTest, TakesTheLastDriveFoundOnceAndLeavesTheListSelectionAlone) {
  addDrive("ZIB A", "DA01", 0, 1);
  addDrive("ZIB B", "DA01", 0, 3);
  addDrive("ZIB C", "DA01", 2, 6);
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

TEST_F(SelectDefaultDriveTest, TakesOnlyADriveOfTheSupportedModelWithinTheTable) {
  struct Case {
    std::uint8_t platform;
    std::vector<const char*> revisions;  // at targets 1, 2, ...
    std::uint8_t driveCount;             // as the counter reads, in or out of range
    int expectedTarget;                  // 0: none taken
  };
  const Case cases[] = {
      {kAspiPlatform, {"DB10", "1.00"}, 2, 1},         // another maker's drive found last
      {kAspiPlatform, {"1.00", "EA10"}, 2, 0},         // none of the model: none taken
      {kPassThroughPlatform, {"DB10", "1.00"}, 2, 2},  // pass-through: every drive is a ZIB one
      {kAspiPlatform, {"DA01", "DA01", "DA01", "DA01"}, 5, 4},  // past the table: entry 3
      {kAspiPlatform, {"DA01", "DA01", "DA01", "DA01"}, 255, 4},
  };
  for (const Case& c : cases) {
    resetState();
    appState.platformKind = c.platform;
    for (std::size_t i = 0; i < c.revisions.size(); ++i) {
      addDrive("ZIB", c.revisions[i], 0, static_cast<std::uint8_t>(i + 1));
    }
    appState.driveCount = c.driveCount;
    selectDefaultDrive();
    EXPECT_EQ(appState.driveSelected, c.expectedTarget != 0 ? 1u : 0u) << int(c.driveCount);
    EXPECT_EQ(appState.selectedTarget, c.expectedTarget) << int(c.driveCount);
  }
}

TEST_F(SelectDefaultDriveTest, NothingWithoutDrives) {
  selectDefaultDrive();
  EXPECT_EQ(appState.driveSelected, 0u);
  EXPECT_EQ(appState.selectedAdapter, 0);
}

}  // namespace
}  // namespace flindor::testing
