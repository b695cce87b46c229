#include "tests/fakes/core_fixture.h"

#include <cstring>

namespace flindor::testing {

PassThroughOutcome CoreTest::passThroughBlock(std::uint8_t entryIndex, std::uint8_t block) {
  static PassThroughOutcome outcome;
  outcome = {PassThroughFailure::NotStarted, 0xFFFFFFFF};
  setPassThroughResultHandler([](PassThroughOutcome given) {
    outcome = given;
    appState.blockOutstanding = 0;  // as the download does with every outcome
  });
  appState.blockOutstanding = 1;                  // as the download sets it
  passThroughDownloadCommand(entryIndex, block);  // the worker runs at once
  passThroughDownloadFinished();                  // the command it sent to the main window
  showPassThroughFailure();                       // as the download tells the user
  installDownloadSequencer();
  return outcome;
}

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
