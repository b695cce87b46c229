#pragma once
// Every command the main window takes, typed for the core: those of the menu, the toolbar and the
// accelerators (their numbers are the resource script's), and the program's own, which it sends
// its window itself with a token (platform/private_commands.h).

#include <cstdint>

#include "res/resource.h"

namespace flindor {

inline constexpr std::uint16_t kCommandExit = IDM_EXIT;
inline constexpr std::uint16_t kCommandDownload = IDM_DOWNLOAD;
inline constexpr std::uint16_t kCommandAbout = IDM_ABOUT;
inline constexpr std::uint16_t kCommandOpen = IDM_OPEN;
inline constexpr std::uint16_t kCommandAccelerator = IDM_NO_ACTION;  // Alt+/ and Alt+?

// Sent with the id in the low words of both wParam and lParam.
inline constexpr std::uint16_t kCommandNextInquiry = 4660;         // 0x1234: the next ASPI INQUIRY
inline constexpr std::uint16_t kCommandDiscoveryFinished = 17185;  // 0x4321
// A transport has the answer to the block it was given (scsi/block_answer.h).
inline constexpr std::uint16_t kCommandBlockAnswered = 17187;  // 0x4323
// Posted once discovery has listed the drives: the verdict on an earlier update comes from the
// message loop, not from inside discovery's own messages.
inline constexpr std::uint16_t kCommandUpdateVerdict = 17188;  // 0x4324

// Fields of the control panel, and the dialog templates the core asks for.
inline constexpr int kFieldDownloadFile = IDC_IMAGE_NAME;
inline constexpr int kFieldOldVersion = IDC_OLD_VERSION;
inline constexpr int kFieldNewVersion = IDC_NEW_VERSION;
inline constexpr int kToolbarId = IDC_TOOLBAR;
inline constexpr int kDriveComboId = IDC_DRIVE_COMBO;
inline constexpr int kAboutDialogTemplate = IDD_ABOUT;
inline constexpr int kConfirmDialogTemplate = IDD_CONFIRM;

}  // namespace flindor
