#pragma once
// The question before a download: on a PC that runs on battery a warning first, No by default;
// then the ConfirmDialog. A Yes there is written down (update_journal.h).

namespace flindor {

void askForConfirmation();

}  // namespace flindor
