#pragma once
// The question before a download: on a PC that runs on battery a warning first, No by default;
// then the ConfirmDialog, whose Yes sets downloadConfirmed.

namespace flindor {

void askForConfirmation();

}  // namespace flindor
