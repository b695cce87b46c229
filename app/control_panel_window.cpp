#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "app/gdi_objects.h"
#include "app/window_procedures.h"
#include "shell/control_panel.h"
#include "shell/progress_geometry.h"
#include "state/app_state.h"
#include "state/command_ids.h"

namespace flindor {
namespace {

constexpr int kToolbarBitmap = IDB_TOOLBAR;
constexpr int kToolbarGlyphs = 4;
constexpr DWORD kToolbarStyle = WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS;
constexpr DWORD kComboStyle = WS_CHILD | WS_VISIBLE | CBS_DROPDOWN;

void createControls(HWND panel) {
  TBBUTTON buttons[] = {
      {0, kCommandOpen, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
      {1, kCommandDownload, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
      {0, 0, TBSTATE_ENABLED, TBSTYLE_SEP, {}, 0, 0},
      {3, kCommandAbout, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
  };
  const auto instance = static_cast<HINSTANCE>(appState.instance);
  CreateToolbarEx(panel, kToolbarStyle, kToolbarId, kToolbarGlyphs, instance, kToolbarBitmap,
                  buttons, 4, 16, 16, 16, 16, sizeof(TBBUTTON));
  appState.driveCombo = CreateWindowExA(
      0, "combobox", nullptr, kComboStyle, 122, 30, 240, 100, panel,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDriveComboId)), instance, nullptr);
}

// Grey top and left edges, white bottom and right ones; the grey pen is selected already.
void drawFrame(HDC dc) {
  const PixelRect& strip = kProgressStrip;
  MoveToEx(dc, strip.right, strip.top, nullptr);
  LineTo(dc, strip.left, strip.top);
  LineTo(dc, strip.left, strip.bottom);
  win32::Pen white = win32::solidPen(kFrameWhite);
  win32::Selection useWhite(dc, white.get());
  LineTo(dc, strip.right, strip.bottom);
  LineTo(dc, strip.right, strip.top);
}

void paintProductName(HDC dc) {
  win32::Pen grey = win32::solidPen(kFrameGrey);
  win32::Selection useGrey(dc, grey.get());
  RECT area{kProgressStrip.left, kProgressStrip.top, kProgressStrip.right, kProgressStrip.bottom};
  const int length = static_cast<int>(strnlen(appState.productName, sizeof appState.productName));
  DrawTextA(dc, appState.productName, length, &area, DT_CENTER);
  drawFrame(dc);
}

void paintProgress(HDC dc) {
  {
    win32::Pen grey = win32::solidPen(kFrameGrey);
    win32::Selection useGrey(dc, grey.get());
    drawFrame(dc);
  }
  win32::Pen pen = win32::solidPen(kProgressFill);
  win32::Brush brush = win32::solidBrush(kProgressFill);
  win32::Selection usePen(dc, pen.get());
  win32::Selection useBrush(dc, brush.get());
  const PixelRect fill = progressFill(appState.progressStep);
  Rectangle(dc, fill.left, fill.top, fill.right, fill.bottom);
}

void paint(HWND panel) {
  win32::PaintSession session(panel);
  if (appState.progressMode == 0) {
    paintProductName(session.dc());
  } else {
    paintProgress(session.dc());
  }
}

}  // namespace

INT_PTR CALLBACK controlPanelProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      // Known from here on, before CreateDialogParam returns, so the fields can be written.
      appState.controlPanel = dialog;
      createControls(dialog);
      controlPanelCreated();
      return TRUE;
    case WM_COMMAND:
      controlPanelCommand(wParam, lParam);
      return FALSE;
    case WM_TIMER:
      progressTick();
      return FALSE;
    case WM_PAINT:
      paint(dialog);
      controlPanelPainted();
      return FALSE;
    case WM_NOTIFY:
      if (forwardsNotification(static_cast<int>(reinterpret_cast<NMHDR*>(lParam)->code))) {
        SendMessageA(GetParent(dialog), WM_NOTIFY, wParam, lParam);
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace flindor
