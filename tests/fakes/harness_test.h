#pragma once
// The test fixtures that run the program against the simulated drive: the harness
// (program_harness.h) with the options of each back end, printing the drive's transcript when a
// test fails.
//
//   TEST_F(PassThroughDownloadTest, ...) {
//     startUp();                       // discovery and Open; the log is cleared after
//     answerConfirm(kCancelCommand);   // the ConfirmDialog's button from now on (Yes unless told)
//     download();                      // the user's Download; returns when all has settled
//   }

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <iostream>

#include "state/app_state.h"
#include "tests/fakes/program_harness.h"

namespace flindor::testing {

class HarnessTest : public ::testing::Test, public ProgramHarness {
 protected:
  explicit HarnessTest(HarnessOptions options) : ProgramHarness(options) {}
  ~HarnessTest() override {
    if (HasFailure()) std::cout << "Transcript:\n" << bus.transcriptText();
  }
};

// Pass-through: the drive at E:; each job runs when the test steps, on its thread.
class PassThroughDownloadTest : public HarnessTest {
 protected:
  PassThroughDownloadTest() : HarnessTest({.platform = kPassThroughPlatform}) {}
};

// ASPI: the drive at adapter 0 of 2, target 1; completions come from the simulated manager's own
// thread and reach a GUI thread of their own through blocking sends, as on Windows 9x.
class AspiDownloadTest : public HarnessTest {
 protected:
  AspiDownloadTest() : HarnessTest({.platform = kAspiPlatform, .run = Run::Threads}) {}
};

}  // namespace flindor::testing
