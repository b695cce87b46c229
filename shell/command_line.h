#pragma once
// The program's arguments, as Windows hands them over (the command line after the program's own
// name), read into runMode:
//
//   /update PATH [/noreboot] [/allowolder] [/ignorepower] [/log PATH]
//   /check [PATH] [/log PATH]
//   /verdict [/log PATH]
//   /?
//
// Switches begin with / or -, in any case; arguments are separated by blanks, and double quotes
// keep blanks inside one (the quotes themselves are dropped). A quoted argument is never a
// switch. Any other switch, a switch given twice, a missing or extra argument, or an argument of
// 260 characters or more is not understood. No arguments: the interactive program.

namespace flindor {

void readCommandLine(const char* arguments);

}  // namespace flindor
