#pragma once
// The window and dialog procedures: each unpacks its message and calls the core.

#include <windows.h>

namespace flindor {

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK controlPanelProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace flindor
