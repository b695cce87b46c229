#pragma once
// The texts of the battery question and of the verdict after the restart.

namespace flindor::update_text {

inline constexpr char kWarning[] = "WARNING";
inline constexpr char kSuccess[] = "SUCCESS";

inline constexpr char kOnBattery[] =
    "This PC is running on battery power.\n\nIf the power fails while the drive programs its "
    "flash, the drive may become unusable.\n\nContinue anyway?";

// The drive reports the revision the update should give it.
inline constexpr char kComplete[] = "The drive now reports %s.\n\nThe firmware update is complete.";
// Drive, address, what it reports, what it should report, how far the download got, and what it
// reports again.
inline constexpr char kNotTaken[] =
    "The drive %s at %s still reports %s, not %s: %s.\n\nSwitch the PC off, wait ten seconds, "
    "switch it on and start FLINDOR again. If the drive then still reports %s, download the "
    "image again.";
// Drive, address, how far the download got, and what the drive reports: a download that stopped
// before the final block.
inline constexpr char kNotProgrammed[] =
    "The firmware update of the drive %s at %s did not complete: %s, before the drive programmed "
    "its flash, so it keeps its firmware %s.\n\nOpen the image and download it again.";
// Drive, address, the revisions from and to, and how far the download got.
inline constexpr char kMissing[] =
    "FLINDOR cannot find the drive %s at %s, whose firmware it was updating from %s to %s: %s."
    "\n\nSwitch the PC off, wait ten seconds, switch it on and start FLINDOR again.";
inline constexpr char kDownloadCompleted[] = "the download completed";
inline constexpr char kDownloadStopped[] = "the download stopped at block %d";

}  // namespace flindor::update_text
