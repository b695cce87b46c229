#pragma once
// The questions before a download, No the default of each: an image that would not make the
// drive newer (older, or the same version), a PC that runs on battery; then the ConfirmDialog,
// whose Yes sets downloadConfirmed. Without a person the command line answers them
// (/allowolder, /ignorepower) and a refusal ends the run with its exit code.

namespace flindor {

void askForConfirmation();

}  // namespace flindor
