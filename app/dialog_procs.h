#pragma once
// The dialog procedures of the AboutDialog (104) and the ConfirmDialog (120).

#include <windows.h>

namespace flindor::win32 {

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK confirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace flindor::win32
