// Where the program starts: no C runtime runs before it, so it gathers what WinMain is given
// and hands WinMain's result to ExitProcess.

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

namespace {

// The command line after the program's own name, which may be quoted, and the blanks after it.
LPSTR argumentsOf(LPSTR line) {
  const bool quoted = *line == '"';
  if (quoted) ++line;
  while (*line != '\0' && (quoted ? *line != '"' : *line > ' ')) ++line;
  if (quoted && *line == '"') ++line;
  while (*line != '\0' && *line <= ' ') ++line;
  return line;
}

}  // namespace

extern "C" [[noreturn]] void flindorEntry() {
  STARTUPINFOA startup;
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int showCommand =
      (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
  ExitProcess(static_cast<UINT>(
      WinMain(GetModuleHandleA(nullptr), nullptr, argumentsOf(GetCommandLineA()), showCommand)));
}
