#pragma once
// What the main window does with its commands: the routing of every command id, with the guards
// that refuse Exit, Open and About once a download is committed.

#include <cstdint>

namespace flindor {

// WM_COMMAND of the main window; the window procedure answers 0 whatever happens.
void mainWindowCommand(std::uintptr_t wParam, std::intptr_t lParam);
// WM_DESTROY.
void mainWindowDestroyed();
// The text of a toolbar button's tooltip, or nullptr for an id without one.
const char* toolTipText(std::uintptr_t commandId);

void exitCommand();
void aboutCommand();

}  // namespace flindor
