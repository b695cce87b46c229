#include "state/app_state.h"

#include <memory>

namespace flindor {

AppState appState;

void resetAppState() {
  std::destroy_at(&appState);
  std::construct_at(&appState);
}

void selectDefaultDrive() {
  const std::uint8_t count = appState.driveCount;
  if (count == 0 || appState.driveSelected != 0) return;
  const DriveEntry& last =
      appState.driveTable[count > kDriveTableSize ? kDriveTableSize - 1 : count - 1];
  appState.selectedAdapter = last.adapterId;
  appState.selectedTarget = last.targetId;
  appState.driveSelected = 1;
}

}  // namespace flindor
