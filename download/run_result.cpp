#include "download/run_result.h"

#include "download/update_record.h"
#include "platform/format_text.h"
#include "platform/log_file.h"

namespace flindor {

void runResult(ExitCode code) {
  RunMode& mode = runMode;
  if (!unattended()) return;
  mode.resultGiven = true;
  mode.exitCode = code;
  // What it means is in the lines before it, and in the README's table.
  logLine("exit code %d", code);
  char text[8];
  formatTextOf(text, sizeof text, "%d", code);
  ports().system->writeMachineValue(kRecordKey, kResultValue, text);
}

void endUnattendedRun(ExitCode code) {
  if (!unattended() || runMode.resultGiven) return;
  runResult(code);
  if (appState.runPhase != RunPhase::Closing) ports().ui->destroyWindow(appState.mainWindow);
}

int exitCodeFor(ExitCode code) {
  runResult(code);
  return unattended() ? code : 0;
}

// A run without a person that ended without a result never says "done".
int programExitCode(int loopCode) {
  if (!unattended()) return loopCode;
  return runMode.resultGiven ? runMode.exitCode : kExitNotStarted;
}

}  // namespace flindor
