#include "tests/fakes/core_fixture.h"

#include <cstring>

namespace flindor::testing {

void CoreTest::addDrive(const char* identification, const char* revision, std::uint8_t adapter,
                        std::uint8_t target, std::uint8_t letter) {
  const std::uint8_t index = appState.driveCount;
  DriveEntry& e = appState.driveTable[index];
  std::strncpy(e.identification, identification, sizeof e.identification - 1);
  std::strncpy(e.revision, revision, sizeof e.revision - 1);
  e.adapterId = adapter;
  e.targetId = target;
  e.driveLetterIndex = letter;
  e.present = 1;
  appState.driveCount = index + 1;
}

}  // namespace flindor::testing
