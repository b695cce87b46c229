#include "shell/dialog_replies.h"

#include "shell/window_messages.h"
#include "state/app_state.h"

namespace flindor {
namespace {

constexpr DialogReply kIgnored{0, false};
constexpr DialogReply kActed{1, false};
constexpr DialogReply kClosed{1, true};

}  // namespace

DialogReply aboutDialogReply(std::uint32_t message, std::uintptr_t wParam) {
  // Returning 1 lets the dialog manager put the focus on the OK button.
  if (message == kWmInitDialog) return kActed;
  // The dialog asks nothing, so Esc and the close box may close it as OK does.
  if (message == kWmCommand && (wParam == kOkCommand || wParam == kCancelCommand)) return kClosed;
  return kIgnored;
}

DialogReply confirmDialogReply(std::uint32_t message, std::uintptr_t wParam) {
  if (message == kWmInitDialog) return kActed;
  if (message == kWmCommand && wParam == kOkCommand) {
    appState.downloadConfirmed = 1;
    return kClosed;
  }
  if (message == kWmCommand && wParam == kCancelCommand) return kClosed;
  return kIgnored;
}

}  // namespace flindor
