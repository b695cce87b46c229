#pragma once
// How a run without a person ends: its exit code (state/run_mode.h) goes into the log, into the
// update record as the value Result (where deployment tools read it) and becomes the program's
// exit code. Nothing of this happens in an interactive run. GUI thread only.

#include "state/run_mode.h"

namespace flindor {

inline constexpr char kResultValue[] = "Result";

// The run's outcome is `code`; a later call says what changed (a restart that could not be
// requested after all).
void runResult(ExitCode code);
// The same where the program would wait for a person now: the window closes, and the program ends.
void endUnattendedRun(ExitCode code);
// For an end before the window: the code, given as the run's result; 0 in an interactive run.
int exitCodeFor(ExitCode code);
// The program's exit code once its message loop has ended with `loopCode`.
int programExitCode(int loopCode);

}  // namespace flindor
