#pragma once
// The texts the download shows, byte for byte.

namespace flindor::download_text {

inline constexpr char kWarning[] = "WARNING";
inline constexpr char kInfo[] = "Info";
inline constexpr char kSuccess[] = "SUCCESS";
inline constexpr char kNotOpen[] = "FLASH FILE NOT OPEN!!";
inline constexpr char kNotZibDrive[] =
    "!!! MODEL IS DIFFERENT !!!\n\n!!! IT'S NOT ZIB DVD-ROM DRIVE !!!";
inline constexpr char kWriteFailed[] = "FAIL TO Write Download FILE";
// The pass-through back end's own messages of a failed block: formatted with the device path,
// whose trailing blanks stay in the text; and with the block number in decimal.
inline constexpr char kOpenFailedFormat[] = "DoRoroDor CreateHandle ERROR : %s ";
inline constexpr char kWriteErrorFormat[] = " Download File Write Error : %d";
inline constexpr char kAspiError[] = "ERROR  !!";
inline constexpr char kCaution[] =
    "\n  Cautions :\n  After Press Any Key, \n  Do Not operate anything for about 30 seconds.\n"
    "  It will be displayed next message of Upgrading Drive's F/W is finished";
inline constexpr char kComplete[] =
    "\n\n    !!! UPDATE COMPLETE !!!\n\n!!! THIS WILL REBOOT YOUR PC !!!      ";

// Another program holds the drive for itself: with the name the system gives it, or kSomeProgram.
inline constexpr char kHeldBy[] =
    "THE DRIVE IS IN USE BY ANOTHER PROGRAM !!\n\n%s holds it for itself. Close that program, "
    "then download again.";
inline constexpr char kSomeProgram[] = "Another program";

// Asked before the window closes while a block is out or the drive programs its flash.
inline constexpr char kCloseQuestion[] =
    "The drive is being updated.\n\nClosing FLINDOR now may leave the drive unusable.\n\n"
    "Close anyway?";
// Shown by the system to a user who shuts down or logs off while the drive is being updated.
inline constexpr char kHoldReason[] = "Updating the drive's firmware. Do not switch off.";

}  // namespace flindor::download_text
