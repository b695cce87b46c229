#pragma once
// What the user is told when discovery ends, and what follows: the verdict on an earlier update,
// and the end of the run where no drive can be updated. Discovery itself only reports.

namespace flindor {

// The main window's WM_CREATE: the window is known from here on, before the first INQUIRY can
// complete; discovery starts.
void mainWindowCreated(void* window);
// Command 17185, taken with its token: the drive list is filled.
void discoveryFinished();
// The control panel's first paint on the pass-through platform hands the probe's result over.
void reportPassThroughDiscovery();

}  // namespace flindor
