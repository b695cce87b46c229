// e2e_sample: a stand-in GUI program on which the end-to-end harness proves itself. It shows a
// greeting message box, then a window with a menu, and nested in it a panel with a toolbar,
// fields, a combo box and a Done button, and ends with exit code 7 (a code no failure path produces
// by accident). Message boxes and the file-open dialog go through the real user interface adapter,
// so the harness run also checks that adapter under Wine.

#include <windows.h>
// after windows.h, whose types it uses
#include <commctrl.h>

#include <cstdio>

#include "app/win32_user_interface.h"

namespace {

using flindor::OpenFileRequest;
using flindor::OpenFileResult;
using flindor::win32::Win32UserInterface;

constexpr char kWindowClass[] = "E2ESampleWindow";
constexpr char kPanelClass[] = "E2ESamplePanel";
constexpr char kTitle[] = "E2E Sample";

// The greeting keeps leading and trailing blanks and an empty line, as the real texts do.
constexpr char kGreeting[] = " Hello from the sample!\n\n  second line  ";
constexpr char kGreetingCaption[] = "Sample Notice";

constexpr int kCommandOpen = 40005;
constexpr int kCommandAbout = 40004;
constexpr int kCommandExit = 40002;
constexpr int kNameField = 1002;
constexpr int kOffsetsField = 1009;
constexpr int kChoiceField = 1008;
constexpr int kCombo = 101;
constexpr int kDoneButton = 1010;
constexpr int kDoneExitCode = 7;

// Two filter pairs with trailing blanks, as the program's own dialog has.
constexpr char kFilter[] = "SAMPLE FILES (*.BIN) \0*.BIN \0ALL FILES (*.*) \0*.*\0";

Win32UserInterface* ui = nullptr;
HWND panel = nullptr;

void addToolbar(HWND parent) {
  TBBUTTON buttons[] = {
      {STD_FILEOPEN, kCommandOpen, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {STD_HELP, kCommandAbout, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
  };
  CreateToolbarEx(parent, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS, 1, 15, HINST_COMMCTRL,
                  IDB_STD_SMALL_COLOR, buttons, 2, 16, 16, 16, 16, sizeof(TBBUTTON));
}

HWND child(HWND parent, const char* kind, const char* text, DWORD style, int x, int y, int width,
           int height, int id) {
  return CreateWindowExA(0, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

void openFile(HWND window) {
  char path[260] = "*.BIN";
  OpenFileRequest request;
  request.owner = window;
  request.filter = kFilter;
  request.filterIndex = 1;
  request.file = path;
  request.maxFile = 256;
  request.structSize = 76;
  OpenFileResult result;
  if (!ui->openFileDialog(request, result)) {
    SetDlgItemTextA(panel, kNameField, "CANCELLED");
    return;
  }
  char offsets[64];
  std::snprintf(offsets, sizeof offsets, "file=%u extension=%u", result.fileOffset,
                result.extensionOffset);
  SetDlgItemTextA(panel, kNameField, path);
  SetDlgItemTextA(panel, kOffsetsField, offsets);
}

LRESULT CALLBACK panelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    if (id == kCombo && HIWORD(wParam) == CBN_SELCHANGE) {
      const int index = ui->comboCurrentSelection(reinterpret_cast<HWND>(lParam));
      char item[64] = {};
      SendMessageA(reinterpret_cast<HWND>(lParam), CB_GETLBTEXT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(item));
      ui->setItemText(window, kChoiceField, item);
      return 0;
    }
    if (id == kDoneButton) {
      ui->postQuit(kDoneExitCode);
      return 0;
    }
    // Toolbar commands go on to the main window, as the program's own panel does it.
    if (id == kCommandOpen || id == kCommandAbout) {
      ui->sendCommand(ui->parentOf(window), wParam, lParam);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      panel = CreateWindowExA(0, kPanelClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 200, window,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
      addToolbar(panel);
      child(panel, "STATIC", "Name :", SS_RIGHT, 10, 42, 80, 16, -1);
      child(panel, "EDIT", "NOT OPEN", WS_BORDER | ES_UPPERCASE, 100, 40, 280, 20, kNameField);
      child(panel, "EDIT", "", WS_BORDER, 100, 70, 280, 20, kOffsetsField);
      HWND combo =
          child(panel, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, 100, 100, 120, 100, kCombo);
      for (const char* item : {"Alpha", "Beta", "Gamma"}) ui->comboAddString(combo, item);
      child(panel, "EDIT", "????", WS_BORDER, 240, 100, 140, 20, kChoiceField);
      child(panel, "BUTTON", "&Done", BS_PUSHBUTTON, 150, 140, 100, 28, kDoneButton);
      return 0;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kCommandOpen:
          openFile(window);
          return 0;
        case kCommandAbout:
          // Owned by the child panel: the platform makes the panel's top-level window the owner.
          ui->messageBox(panel, "Owned\nbox", "Sample About", flindor::kIconWarning);
          return 0;
        case kCommandExit:
          ui->postQuit(0);
          return 0;
      }
      return 0;
    case WM_DESTROY:
      ui->postQuit(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HMENU buildMenu() {
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, kCommandOpen, "&Open");
  AppendMenuA(file, MF_STRING, kCommandExit, "E&xit");
  HMENU help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, kCommandAbout, "&About");
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
  return bar;
}

bool registerClass(const char* name, WNDPROC procedure, HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  windowClass.lpszClassName = name;
  return RegisterClassExA(&windowClass) != 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  InitCommonControls();
  Win32UserInterface adapter(instance, {});
  ui = &adapter;
  ui->messageBox(nullptr, kGreeting, kGreetingCaption, flindor::kIconInformation);

  if (!registerClass(kWindowClass, windowProc, instance) ||
      !registerClass(kPanelClass, panelProc, instance)) {
    return 1;
  }
  HWND window = CreateWindowExA(WS_EX_CLIENTEDGE, kWindowClass, kTitle, WS_CAPTION | WS_SYSMENU,
                                100, 100, 420, 260, nullptr, buildMenu(), instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
