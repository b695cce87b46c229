#pragma once
// The base of the core's tests: fresh state, recording fakes installed, the windows known.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "download/download_sequencer.h"
#include "scsi/pass_through_transport.h"
#include "state/app_state.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_files.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/fake_worker.h"

namespace flindor::testing {

class CoreTest : public ::testing::Test {
 protected:
  CoreTest() {
    resetState();
    ports() = Ports{};
    ports().ui = &ui;
    ports().files = &files;
    ports().worker = &worker;
    ports().session = &session;
    ports().clock = &clock;
    installDownloadSequencer();
  }
  // Initial state again, with the windows known, as after start-up.
  void resetState() {
    resetAppState();
    appState.mainWindow = kMainWindow;
    appState.controlPanel = kControlPanel;
    appState.driveCombo = kDriveCombo;
  }
  ~CoreTest() override { ports() = Ports{}; }

  // A pass-through DownloadCommand from start to the hand-off on the GUI thread, then the
  // transport's message for it; its outcome, as the download would have been given it.
  PassThroughOutcome passThroughBlock(std::uint8_t entryIndex, std::uint8_t block);

  // Records a drive in the table as discovery would.
  void addDrive(const char* identification, const char* revision, std::uint8_t adapter = 0,
                std::uint8_t target = 0, std::uint8_t letter = 0);

  FakeUi ui;
  FakeFiles files;
  FakeWorker worker;
  FakeSessionGuard session;
  FakeClock clock;
};

}  // namespace flindor::testing
