#include "state/app_state.h"

#include <cstring>
#include <memory>

#include "platform/log_file.h"
#include "platform/private_commands.h"
#include "state/model_letters.h"
#include "state/platform_kind.h"

namespace flindor {

alignas(4096) std::uint8_t blockBufferStorage[kBlockBufferSize];
AppState appState;

void resetAppState() {
  std::destroy_at(&appState);
  std::construct_at(&appState);
  std::memset(blockBufferStorage, 0, sizeof blockBufferStorage);
  resetPrivateCommands();
  stopLog();
}

bool isSupportedDrive(const DriveEntry& entry) {
  if (entry.present != 1) return false;
  // Another maker's revision may begin with the model letters too.
  return appState.platformKind == kPassThroughPlatform ||
         (hasZibVendor(entry.identification) && hasSupportedModelLetters(entry.revision));
}

const DriveEntry* targetDrive() {
  const AppState& s = appState;
  if (s.platformKind == kPassThroughPlatform) {
    return s.ntDriveIndex < kDriveTableSize ? &s.driveTable[s.ntDriveIndex] : nullptr;
  }
  for (const DriveEntry& entry : s.driveTable) {
    if (entry.present == 1 && entry.adapterId == s.selectedAdapter &&
        entry.targetId == s.selectedTarget) {
      return &entry;
    }
  }
  return nullptr;
}

void selectDefaultDrive() {
  const std::uint8_t count = appState.driveCount;
  if (count == 0 || appState.driveSelected != 0) return;
  // Another maker's drive found last must never become the target by default.
  for (int i = (count > kDriveTableSize ? kDriveTableSize : count) - 1; i >= 0; --i) {
    const DriveEntry& entry = appState.driveTable[i];
    if (!isSupportedDrive(entry)) continue;
    appState.selectedAdapter = entry.adapterId;
    appState.selectedTarget = entry.targetId;
    appState.driveSelected = 1;
    return;
  }
}

}  // namespace flindor
