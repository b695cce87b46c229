#include <windows.h>

#include <commctrl.h>

#include "app/window_procedures.h"
#include "download/run_guard.h"
#include "shell/discovery_report.h"
#include "shell/main_window_commands.h"

namespace flindor {
namespace {

// The panel forwards tooltip text requests only; the code is checked all the same, so that no
// other notification record is ever written as if it were one.
void fillToolTip(TOOLTIPTEXTA* request) {
  if (request->hdr.code != TTN_NEEDTEXTA) return;
  const char* text = toolTipText(request->hdr.idFrom);
  // The text stays where it is, for as long as the program runs.
  if (text != nullptr) request->lpszText = const_cast<char*>(text);
}

}  // namespace

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Registered, not a constant: known at the first message.
  static const UINT queryCancelAutoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
  if (message == queryCancelAutoPlay && queryCancelAutoPlay != 0) {
    return cancelsAutoPlay() ? TRUE : FALSE;
  }
  switch (message) {
    case WM_CREATE:
      mainWindowCreated(window);
      return 0;
    case WM_CLOSE:
      if (!mainWindowMayClose()) return 0;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_DESTROY:
      mainWindowDestroyed();
      return 0;
    case WM_QUERYENDSESSION:
      return systemMayStop() ? TRUE : FALSE;
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMQUERYSUSPEND && !systemMayStop()) return BROADCAST_QUERY_DENY;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_NOTIFY:
      fillToolTip(reinterpret_cast<TOOLTIPTEXTA*>(lParam));
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_COMMAND:
      mainWindowCommand(wParam, lParam);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace flindor
