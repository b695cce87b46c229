#include "app/dialog_procs.h"

#include "shell/dialog_replies.h"

namespace flindor::win32 {
namespace {

INT_PTR carryOut(HWND dialog, DialogReply reply) {
  if (reply.endDialog) EndDialog(dialog, 0);
  return reply.result;
}

}  // namespace

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return carryOut(dialog, aboutDialogReply(message, wParam));
}

INT_PTR CALLBACK confirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return carryOut(dialog, confirmDialogReply(message, wParam));
}

}  // namespace flindor::win32
