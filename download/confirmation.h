#pragma once
// The question before a download: on a PC that runs on battery a warning first, No by default;
// then the ConfirmDialog. A Yes there is written down: in the log and in the update record.

namespace flindor {

void askForConfirmation();

}  // namespace flindor
