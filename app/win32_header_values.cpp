// The core names the platform's numbers without including <windows.h>. Each is checked here
// against the platform header's own macro, so a wrong copy stops both Windows builds instead of
// misbehaving on a real machine. (Resource ids need no check: the core takes them from the
// resource script's own header.)

#include <windows.h>
// after windows.h, whose types they use
#include <commctrl.h>
#include <ntddscsi.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "download/completion.h"
#include "platform/ports.h"
#include "scsi/pass_through_request.h"
#include "scsi/pass_through_transport.h"
#include "shell/dialog_replies.h"
#include "shell/progress_geometry.h"
#include "shell/window_messages.h"

namespace flindor::win32 {

// Window messages, notifications and dialog replies the core dispatches on.
static_assert(kWmPaint == WM_PAINT);
static_assert(kWmInitDialog == WM_INITDIALOG);
static_assert(kWmCommand == WM_COMMAND);
static_assert(kWmTimer == WM_TIMER);
static_assert(static_cast<UINT>(kToolTipNeedTextA) == TTN_NEEDTEXTA);
static_assert(kComboSelectionChanged == CBN_SELCHANGE);
static_assert(kOkCommand == IDOK);
static_assert(kCancelCommand == IDCANCEL);

// Message box styles.
static_assert(kIconError == MB_ICONERROR);
static_assert(kIconWarning == MB_ICONWARNING);
static_assert(kIconExclamation == MB_ICONEXCLAMATION);
static_assert(kIconInformation == MB_ICONINFORMATION);
static_assert(kButtonsYesNo == MB_YESNO);
static_assert(kDefaultButton2 == MB_DEFBUTTON2);

// The reboot request.
static_assert(kRebootFlags == (EWX_REBOOT | EWX_FORCE));

// The errors that mean the host refused a block before the drive saw it.
static_assert(kSystemRefusals ==
              std::array<std::uint32_t, 12>{
                  ERROR_INVALID_FUNCTION, ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE,
                  ERROR_NOT_ENOUGH_MEMORY, ERROR_OUTOFMEMORY, ERROR_BAD_LENGTH, ERROR_NOT_SUPPORTED,
                  ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER, ERROR_NOACCESS,
                  ERROR_NO_SYSTEM_RESOURCES, ERROR_INVALID_USER_BUFFER});

// The progress strip's colours, as GDI takes them.
static_assert(kFrameGrey == RGB(130, 130, 130));
static_assert(kFrameWhite == RGB(255, 255, 255));
static_assert(kProgressFill == RGB(6, 46, 148));

// SCSI pass-through: the control code, the directions, and the record the storage stack reads
// as its own SCSI_PASS_THROUGH_DIRECT on either width.
static_assert(kIoctlScsiPassThroughDirect == IOCTL_SCSI_PASS_THROUGH_DIRECT);
static_assert(kScsiIoctlDataIn == SCSI_IOCTL_DATA_IN);
static_assert(kScsiIoctlDataOut == SCSI_IOCTL_DATA_OUT);
static_assert(sizeof(ScsiPassThroughDirect) == sizeof(SCSI_PASS_THROUGH_DIRECT));
static_assert(offsetof(ScsiPassThroughDirect, DataTransferLength) ==
              offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength));
static_assert(offsetof(ScsiPassThroughDirect, DataBuffer) ==
              offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer));
static_assert(offsetof(ScsiPassThroughDirect, SenseInfoOffset) ==
              offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset));
static_assert(offsetof(ScsiPassThroughDirect, Cdb) == offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb));

}  // namespace flindor::win32
