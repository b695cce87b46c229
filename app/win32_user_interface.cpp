#include "app/win32_user_interface.h"

#include <commdlg.h>

#include <algorithm>
#include <iterator>

#include "app/gdi_objects.h"
#include "app/open_file_name_size.h"
#include "app/win32_handles.h"
#include "state/run_mode.h"

namespace flindor::win32 {

Win32UserInterface::Win32UserInterface(HINSTANCE instance, const DialogProcedures& procedures)
    : instance_(instance) {
  std::copy(std::begin(procedures), std::end(procedures), procedures_.begin());
}

void Win32UserInterface::messageBox(WindowHandle owner, const char* text, const char* caption,
                                    std::uint32_t style) {
  if (boxGoesToLog(text, caption)) return;
  MessageBoxA(toWindow(owner), text, caption, MB_OK | style);
}

bool Win32UserInterface::ask(WindowHandle owner, const char* text, const char* caption,
                             std::uint32_t style) {
  return MessageBoxA(toWindow(owner), text, caption, style) == IDYES;
}

void Win32UserInterface::beep() { MessageBeep(0xFFFFFFFF); }

void Win32UserInterface::setItemText(WindowHandle dialog, int itemId, const char* text) {
  SetDlgItemTextA(toWindow(dialog), itemId, text);
}

void Win32UserInterface::setWindowText(WindowHandle window, const char* text) {
  SetWindowTextA(toWindow(window), text);
}

bool Win32UserInterface::openFileDialog(const OpenFileRequest& request, OpenFileResult& result) {
  // Only what the core asks for: no flags, initial directory, title or default extension.
  OPENFILENAMEA block{};
  block.lStructSize = nativeOpenFileNameSize(request.structSize);
  block.hwndOwner = toWindow(request.owner);
  block.lpstrFilter = request.filter;
  block.nFilterIndex = request.filterIndex;
  block.lpstrFile = request.file;
  block.nMaxFile = request.maxFile;
  if (!GetOpenFileNameA(&block)) return false;
  result.fileOffset = block.nFileOffset;
  result.extensionOffset = block.nFileExtension;
  return true;
}

void Win32UserInterface::showDialog(int templateId, WindowHandle owner) {
  const auto found =
      std::find_if(procedures_.begin(), procedures_.end(), [&](const DialogProcedure& row) {
        return row.templateId == templateId && row.procedure != nullptr;
      });
  if (found == procedures_.end()) return;
  DialogBoxParamA(instance_, MAKEINTRESOURCEA(templateId), toWindow(owner), found->procedure, 0);
}

void Win32UserInterface::sendCommand(WindowHandle window, std::uintptr_t wParam,
                                     std::intptr_t lParam) {
  SendMessageA(toWindow(window), WM_COMMAND, static_cast<WPARAM>(wParam),
               static_cast<LPARAM>(lParam));
}

void Win32UserInterface::postCommand(WindowHandle window, std::uintptr_t wParam,
                                     std::intptr_t lParam) {
  PostMessageA(toWindow(window), WM_COMMAND, static_cast<WPARAM>(wParam),
               static_cast<LPARAM>(lParam));
}

void Win32UserInterface::sendTimerTick(WindowHandle window) {
  SendMessageA(toWindow(window), WM_TIMER, 0, 0);
}

WindowHandle Win32UserInterface::parentOf(WindowHandle window) {
  return fromWindow(GetParent(toWindow(window)));
}

void Win32UserInterface::setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t periodMs) {
  SetTimer(toWindow(window), static_cast<UINT_PTR>(id), periodMs, nullptr);
}

void Win32UserInterface::killTimer(WindowHandle window, std::uintptr_t id) {
  KillTimer(toWindow(window), static_cast<UINT_PTR>(id));
}

void Win32UserInterface::invalidate(WindowHandle window, const PixelRect& area) {
  const Region region(CreateRectRgn(area.left, area.top, area.right, area.bottom));
  InvalidateRgn(toWindow(window), region.get(), FALSE);
}

void Win32UserInterface::showWindow(WindowHandle window) { ShowWindow(toWindow(window), SW_SHOW); }

void Win32UserInterface::destroyWindow(WindowHandle window) { DestroyWindow(toWindow(window)); }

void Win32UserInterface::postQuit(int exitCode) { PostQuitMessage(exitCode); }

void Win32UserInterface::comboAddString(WindowHandle combo, const char* text) {
  SendMessageA(toWindow(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

int Win32UserInterface::comboCurrentSelection(WindowHandle combo) {
  return static_cast<int>(SendMessageA(toWindow(combo), CB_GETCURSEL, 0, 0));
}

void Win32UserInterface::comboSetSelection(WindowHandle combo, int index) {
  SendMessageA(toWindow(combo), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace flindor::win32
