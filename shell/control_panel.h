#pragma once
// The control panel's logic: the drive list, the toolbar's forwarding, the progress step and the
// hand-off of the pass-through discovery result. Drawing itself stays with the window code.

#include <cstdint>

namespace flindor {

// WM_INITDIALOG, once the toolbar and the drive combo box exist.
void controlPanelCreated();
// WM_COMMAND of the panel: a drive picked in the list, or a toolbar button to pass on.
void controlPanelCommand(std::uintptr_t wParam, std::intptr_t lParam);
// WM_NOTIFY of the panel: true when it must go on to the main window (tooltip requests only).
bool forwardsNotification(int code);
// WM_TIMER: one step more of the progress bar, and the area to repaint.
void progressTick();
// The end of every paint: on the pass-through platform, the first one reports discovery.
void controlPanelPainted();

}  // namespace flindor
