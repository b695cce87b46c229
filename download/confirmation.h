#pragma once
// The question before a download, the ConfirmDialog. A Yes there is written down
// (update_journal.h).

namespace flindor {

void askForConfirmation();

}  // namespace flindor
