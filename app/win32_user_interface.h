#pragma once
// The user interface port on USER32 and COMDLG32: message boxes, fields, the file-open dialog,
// the modal dialogs, the messages the core sends to its windows, the timer and painting requests.

#include <windows.h>

#include <array>
#include <cstddef>

#include "platform/ports.h"

namespace flindor::win32 {

// Which dialog procedure runs each modal dialog template: a fixed table, one row per template
// the core may ask for.
struct DialogProcedure {
  int templateId;
  DLGPROC procedure;
};
inline constexpr std::size_t kDialogProcedureCount = 2;
using DialogProcedures = DialogProcedure[kDialogProcedureCount];

class Win32UserInterface final : public UserInterface {
 public:
  // `instance` holds the dialog templates; `procedures` names the procedure of each template the
  // core may ask for (kAboutDialogTemplate, kConfirmDialogTemplate).
  Win32UserInterface(HINSTANCE instance, const DialogProcedures& procedures);

  void messageBox(WindowHandle owner, const char* text, const char* caption,
                  std::uint32_t style) override;
  bool ask(WindowHandle owner, const char* text, const char* caption, std::uint32_t style) override;
  void beep() override;
  void setItemText(WindowHandle dialog, int itemId, const char* text) override;
  void setWindowText(WindowHandle window, const char* text) override;
  bool openFileDialog(const OpenFileRequest& request, OpenFileResult& result) override;
  void showDialog(int templateId, WindowHandle owner) override;
  void sendCommand(WindowHandle window, std::uintptr_t wParam, std::intptr_t lParam) override;
  void postCommand(WindowHandle window, std::uintptr_t wParam, std::intptr_t lParam) override;
  void sendTimerTick(WindowHandle window) override;
  WindowHandle parentOf(WindowHandle window) override;
  void setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t periodMs) override;
  void killTimer(WindowHandle window, std::uintptr_t id) override;
  void invalidate(WindowHandle window, const PixelRect& area) override;
  void showWindow(WindowHandle window) override;
  void destroyWindow(WindowHandle window) override;
  void postQuit(int exitCode) override;
  void comboAddString(WindowHandle combo, const char* text) override;
  int comboCurrentSelection(WindowHandle combo) override;
  void comboSetSelection(WindowHandle combo, int index) override;

 private:
  HINSTANCE instance_;
  std::array<DialogProcedure, kDialogProcedureCount> procedures_;
};

}  // namespace flindor::win32
