#pragma once
// The texts of the questions before a download (an image that is not newer, battery power) and of
// the verdict after the restart.

namespace flindor::update_text {

inline constexpr char kWarning[] = "WARNING";
inline constexpr char kSuccess[] = "SUCCESS";

// The drive's revision, the image's version and kOlder or kSame, before a download that would not
// make the drive newer.
inline constexpr char kNotNewerImage[] =
    "The drive reports %s. The image holds %s, %s.\n\nDownload it anyway?";
inline constexpr char kOlder[] = "an older version";
inline constexpr char kSame[] = "the version the drive has already";

inline constexpr char kOnBattery[] =
    "This PC is running on battery power.\n\nIf the power fails while the drive programs its "
    "flash, the drive may become unusable.\n\nContinue anyway?";

// The drive reports the revision the update should give it.
inline constexpr char kComplete[] = "The drive now reports %s.\n\nThe firmware update is complete.";
// Drive, address, what it reports (its revision before the update), what it should report, how
// far the download got, and what it reports again.
inline constexpr char kNotTaken[] =
    "The drive %s at %s still reports %s, not %s: %s.\n\nSwitch the PC off, wait ten seconds, "
    "switch it on and start FLINDOR again. If the drive then still reports %s, download the "
    "image again.";
// Drive, address, what it reports, its revision before the update, what it should report, how
// far the download got, and what it reports again.
inline constexpr char kOtherRevision[] =
    "The drive %s at %s reports %s, neither its firmware before the update (%s) nor the one the "
    "update should give it (%s): %s.\n\nSwitch the PC off, wait ten seconds, switch it on and "
    "start FLINDOR again. If the drive then still reports %s, open the image and download it "
    "again.";
// Drive, address, what it reports, and how far the download got: the image's version is the one
// the drive had, so what it reports cannot tell.
inline constexpr char kCannotTell[] =
    "The drive %s at %s reports %s, as it did before the update: its revision cannot tell "
    "whether the update took (%s).\n\nTo be sure the drive holds the image, open it and "
    "download it again.";
// Drive, address, how far the download got, and what the drive reports: a download that stopped
// before the drive could program its flash.
inline constexpr char kNotProgrammed[] =
    "The firmware update of the drive %s at %s did not complete: %s, before the drive programmed "
    "its flash, so it keeps its firmware %s.\n\nOpen the image and download it again.";
// Drive, address, the revisions from and to, and how far the download got.
inline constexpr char kMissing[] =
    "FLINDOR cannot find the drive %s at %s, whose firmware it was updating from %s to %s: %s."
    "\n\nSwitch the PC off, wait ten seconds, switch it on and start FLINDOR again.";
// Drive, address, the revisions from and to, how far the download got, the revision it should
// report, and which of the drives of that model reports what.
inline constexpr char kSeveral[] =
    "FLINDOR was updating the drive %s at %s from %s to %s: %s. Not every drive of that model in "
    "this PC reports %s: %s.\n\nSwitch the PC off, wait ten seconds, switch it on and start "
    "FLINDOR again.";
// How far the download got: a record that lacks the drive it names.
inline constexpr char kIncomplete[] =
    "FLINDOR's record of an earlier firmware update is incomplete (%s), so it cannot tell whether "
    "the update took.\n\nIf the drive does not work as it should, open the image and download it "
    "again.";
// Drive, its address then and now: put before what FLINDOR says of it.
inline constexpr char kMoved[] = "The drive %s that FLINDOR was updating at %s is now at %s.\n\n";
inline constexpr char kDownloadCompleted[] = "the download completed";
inline constexpr char kDownloadStopped[] = "the download stopped at block %d";
inline constexpr char kReportsWhat[] = "%s reports %s";

}  // namespace flindor::update_text
