#pragma once
// After the restart: a record of an update (update_record.h) is judged against the drives that
// discovery found, and the user is told whether the update took. The judgement is a function of
// the record, the drive table and the platform alone.

#include <cstdint>

#include "download/update_record.h"
#include "state/app_state.h"

namespace flindor {

inline constexpr std::uint32_t kVerdictCapacity = 512;

struct Verdict {
  bool complete;    // the update took ("SUCCESS"); else a warning
  bool keepRecord;  // the record stays, so the next start judges it again
  char text[kVerdictCapacity];
};

// What FLINDOR says of the update `record` names, given the drives found on `platform`. Only a
// drive that can show it, and only the one that was updated, makes the update complete.
Verdict verdictOf(const UpdateRecord& record, const DriveEntry (&table)[kDriveTableSize],
                  std::uint8_t platform);

inline constexpr char kVerdictValue[] = "Verdict";

// Reads the record and tells the user what became of the update it names; once per start. The
// shell decides when (shell/discovery_report.h). Without a person the verdict goes into the log
// and into the record (the value Verdict), and no box is shown. True when the drive reports the
// revision the update should give it; false too when there is no record.
bool giveUpdateVerdict();

}  // namespace flindor
