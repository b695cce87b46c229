#pragma once
// Finding the windows a person would look at: top-level windows by their caption, controls by
// their id or label, message boxes and the file-open dialog by their make-up.

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Control ids as the platform's messages carry them: 16 bits, so -1 and 0xFFFF are one id.
int controlId(HWND control);

std::vector<HWND> topLevelWindows(bool visibleOnly);
// Children and their children, in the order the window manager keeps them.
std::vector<HWND> descendants(HWND root);

// A visible top-level window whose caption is exactly `titleOrHandle`, or the window of that
// handle when it is written 0x... ; null when there is none.
HWND findWindow(const std::string& titleOrHandle);
HWND waitForWindow(const std::string& titleOrHandle, double seconds);

HWND findControl(HWND root, int id);
// A button by its id (decimal or 0x...) or by its label; '&' marks are ignored in labels.
HWND findButton(HWND root, const std::string& labelOrId);
bool parseId(const std::string& text, int& id);

// A message box: a visible top-level dialog holding the message text (id 0xFFFF), the icon
// place (stc1) and at least one push button.
bool isMessageBox(HWND window);
HWND findMessageBox();

// The common file-open dialog: a visible top-level dialog with the file name field (cmb13 or
// edt1) and the file type list (cmb1).
bool isFileDialog(HWND window);
HWND findFileDialog();
// Where a person types the file name.
HWND fileNameField(HWND dialog);

std::string handleText(HWND window);

}  // namespace e2e
