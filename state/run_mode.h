#pragma once
// What the command line asked for, and, for a run without a person, the exit code it ends with.
// Interactive (no arguments) is the program as a person uses it; the other kinds run without any
// dialog or question, write what they show into the log and end by themselves. Kept apart from
// AppState: it is set once, before the window exists, and read to the end of the process.

#include <cstdint>

#include "state/app_state.h"

namespace flindor {

// In this order: the command line's first four switches are read into it by position.
enum class RunKind : std::uint8_t {
  Interactive,
  Update,         // /update PATH: the image at PATH to the supported drive
  Check,          // /check [PATH]: discovery, and whether the image at PATH applies and is newer
  Verdict,        // /verdict: the check after the restart, with no box
  Usage,          // /?: the usage in a box
  NotUnderstood,  // anything else: nothing done
};

// The exit codes of a run without a person (README: one table).
enum ExitCode : int {
  kExitDone = 0,
  kExitStopped = 1,  // a block failed and the download stopped; nothing more sent
  kExitNotUnderstood = 2,
  kExitNoDrive = 3,
  kExitImageRefused = 4,
  kExitNotNewer = 5,  // the image is older (/check: or the same), and /allowolder was not given
  kExitOnBattery = 6,
  kExitOutcomeUnknown = 7,  // the final block's outcome is unknown: restart, then /verdict
  kExitHeld = 8,            // another program holds the drive
  kExitNotExpected = 9,     // /verdict: the drive does not report the expected revision
  kExitNotStarted = 10,     // another copy runs, or the window could not be made
  kExitRestarting = 1641,
  kExitRestartNeeded = 3010,
};

struct RunMode {
  RunKind kind;
  bool noReboot;
  bool allowOlder;
  bool ignorePower;
  bool resultGiven;  // the exit code below is set, logged and recorded
  int exitCode;
  const char* arguments;  // the command line after the program's name, for the log
  char imagePath[kImagePathSize];
  char logPath[kImagePathSize];  // "" for the log's usual places
};

extern RunMode runMode;

inline bool unattended() { return runMode.kind != RunKind::Interactive; }

// A message box of a run without a person waits for nobody: its caption and text go into the log
// instead, and true is returned. The user interface asks this before it shows one (questions
// still show: the only one left is the close question, which a person at the PC can raise).
bool boxGoesToLog(const char* text, const char* caption);

}  // namespace flindor
