#include "state/run_mode.h"

#include "platform/log_file.h"

namespace flindor {

RunMode runMode;

bool boxGoesToLog(const char* text, const char* caption) {
  // The usage is the one box such a run shows.
  if (!unattended() || runMode.kind == RunKind::Usage) return false;
  logLine("message (%s): %s", caption, text);
  return true;
}

}  // namespace flindor
