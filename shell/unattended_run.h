#pragma once
// The shell's part of a run the command line asked for (state/run_mode.h): the usage box, what
// follows discovery, and a window closed by a person meanwhile.

namespace flindor {

// /?: the usage, in the one box these runs show; the exit code.
int showUsage();
// Discovery has listed the drives (the command that gives the verdict after it): the verdict on
// an earlier update, as a person gets it; or, without a person, what the command line asked for:
// /verdict that verdict alone, /check whether the image applies and is newer, /update the
// verdict first, then the image opened and the download begun.
void afterDiscovery();
// The window closes, or Exit was chosen: a run without a person that has no result yet ends as
// stopped (or, with the final block's outcome still open, as unknown).
void closedByPerson();

}  // namespace flindor
