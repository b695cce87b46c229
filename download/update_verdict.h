#pragma once
// After the restart: a record of an update (update_record.h) is checked against the drive it
// names, once discovery has filled the drive table, and the user is told whether the update
// took.

#include <cstdint>

namespace flindor {

// Reads the record and tells the user what became of the update it names; once per start. The
// shell decides when (shell/discovery_report.h).
void giveUpdateVerdict();

}  // namespace flindor
