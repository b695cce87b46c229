#pragma once
// What the About and Confirm dialogs do with a message. Their Win32 dialog procedures return
// `result` and close the dialog with EndDialog(dialog, 0) when `endDialog` is set.

#include <cstdint>

namespace flindor {

// Commands the dialog manager sends; compared with the whole wParam, so the notification code
// in its high half must be 0, as it is for button clicks, Enter, Esc and the close box.
inline constexpr std::uintptr_t kOkCommand = 1;      // IDOK: OK or Yes, and Enter
inline constexpr std::uintptr_t kCancelCommand = 2;  // IDCANCEL: No, Esc and the close box

struct DialogReply {
  std::intptr_t result;  // 1: acted on; 0: left to the dialog manager
  bool endDialog;
  friend bool operator==(const DialogReply&, const DialogReply&) = default;
};

// The AboutDialog closes on OK, Enter, Esc and its close box.
DialogReply aboutDialogReply(std::uint32_t message, std::uintptr_t wParam);

// The ConfirmDialog: Yes sets appState.downloadConfirmed; No, Esc and the close box leave it.
DialogReply confirmDialogReply(std::uint32_t message, std::uintptr_t wParam);

}  // namespace flindor
