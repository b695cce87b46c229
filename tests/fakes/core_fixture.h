#pragma once
// The base of the core's tests that need no drive: fresh state, recording fakes installed, the
// windows known. Tests that run the program against a drive use tests/fakes/harness_test.h.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scsi/pass_through_transport.h"
#include "state/app_state.h"
#include "state/run_mode.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_files.h"
#include "tests/fakes/fake_log_files.h"
#include "tests/fakes/fake_system.h"
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
    ports().system = &system;
    ports().logFiles = &logFiles;
  }
  // Initial state again, with the windows known, as after start-up.
  void resetState() {
    resetAppState();
    runMode = RunMode{};
    passThroughForgetDrive();
    appState.mainWindow = kMainWindow;
    appState.controlPanel = kControlPanel;
    appState.driveCombo = kDriveCombo;
  }
  ~CoreTest() override { ports() = Ports{}; }

  // Records a drive in the table as discovery would.
  void addDrive(const char* identification, const char* revision, std::uint8_t adapter = 0,
                std::uint8_t target = 0, std::uint8_t letter = 0);

  FakeUi ui;
  FakeFiles files;
  FakeWorker worker;
  FakeSessionGuard session;
  FakeClock clock;
  FakeSystem system;
  FakeLogFiles logFiles;
};

}  // namespace flindor::testing
