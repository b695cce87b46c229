// The entry point: the command line, single instance, platform, ASPI layer, the windows, the
// message loop.

#include <windows.h>

#include <commctrl.h>

#include <new>

#include "app/dialog_procs.h"
#include "app/win32_aspi_library.h"
#include "app/win32_aspi_manager.h"
#include "app/win32_clock.h"
#include "app/win32_file_system.h"
#include "app/win32_heap.h"
#include "app/win32_log_files.h"
#include "app/win32_session_guard.h"
#include "app/win32_system.h"
#include "app/win32_user_interface.h"
#include "app/win32_volume_devices.h"
#include "app/win32_worker.h"
#include "app/window_procedures.h"
#include "download/run_log.h"
#include "download/run_result.h"
#include "platform/private_commands.h"
#include "res/resource.h"
#include "shell/aspi_startup.h"
#include "shell/command_line.h"
#include "shell/platform_detection.h"
#include "shell/startup_messages.h"
#include "shell/unattended_run.h"
#include "state/app_state.h"
#include "state/command_ids.h"

namespace flindor {
namespace {

constexpr int kWindowWidth = 410;
constexpr int kWindowHeight = 210;

struct Win32Ports {
  explicit Win32Ports(HINSTANCE instance)
      : ui(instance, {{kAboutDialogTemplate, win32::aboutDialogProc},
                      {kConfirmDialogTemplate, win32::confirmDialogProc}}) {
    Ports& p = ports();
    p.ui = &ui;
    p.files = &files;
    p.aspi = &aspi;
    p.aspiLibrary = &aspiLibrary;
    p.heap = &heap;
    p.volumes = &volumes;
    p.system = &system;
    p.worker = &worker;
    p.session = &session;
    p.clock = &clock;
    p.logFiles = &logFiles;
  }
  win32::Win32UserInterface ui;
  win32::Win32FileSystem files;
  win32::Win32AspiManager aspi;
  win32::Win32AspiLibrary aspiLibrary;
  win32::Win32Heap heap;
  win32::Win32VolumeDevices volumes;
  win32::Win32System system;
  win32::Win32Worker worker;
  win32::Win32SessionGuard session;
  win32::Win32Clock clock;
  win32::Win32LogFiles logFiles;
};

// The ports outlive the run: a request still out when the window closes completes on another
// thread, and must find them in place until the process ends.
alignas(Win32Ports) unsigned char portsStorage[sizeof(Win32Ports)];

// What differs from run to run and is not visible to another program: the key of the tokens the
// program's own commands carry.
std::uint64_t startupEntropy() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  const auto where = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&counter));
  const std::uint32_t low = static_cast<std::uint32_t>(counter.LowPart) ^ GetTickCount() ^ where;
  // The counter's count is what no other program can know; the process id only tells apart two
  // starts within one tick.
  const std::uint32_t high =
      (GetCurrentProcessId() << 16) ^ static_cast<std::uint32_t>(counter.HighPart);
  return (std::uint64_t{high} << 32) | low;
}

bool registerMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_VREDRAW | CS_HREDRAW;
  windowClass.lpfnWndProc = mainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APPLICATION_ICON));
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
  windowClass.lpszClassName = appState.className;
  windowClass.hIconSm = windowClass.hIcon;
  return RegisterClassExA(&windowClass) != 0;
}

HWND createMainWindow(HINSTANCE instance, HMENU menu) {
  const int screenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYFULLSCREEN);
  return CreateWindowExA(WS_EX_CLIENTEDGE, appState.className, appState.windowTitle,
                         WS_CAPTION | WS_SYSMENU, (screenWidth - kWindowWidth) / 2,
                         (screenHeight - kWindowHeight) / 2, kWindowWidth, kWindowHeight, nullptr,
                         menu, instance, nullptr);
}

int runMessageLoop(HACCEL accelerators) {
  MSG message;
  // A failed GetMessageA (-1) ends the loop too, rather than spinning on an empty message.
  BOOL got;
  while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
    if (TranslateAcceleratorA(message.hwnd, accelerators, &message) == 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return got == 0 ? static_cast<int>(message.wParam) : 0;
}

int run(HINSTANCE instance, const char* arguments, int showCommand) {
  // A removed disk or a missing drive is a failed call, never a system prompt in the way.
  SetErrorMode(SEM_FAILCRITICALERRORS);
  readCommandLine(arguments);
  new (portsStorage) Win32Ports(instance);
  if (runMode.kind == RunKind::Usage) return showUsage();
  seedPrivateCommands(startupEntropy());
  AppState& s = appState;
  HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAIN_MENU));
  InitCommonControls();
  LoadStringA(instance, IDS_WINDOW_TITLE, s.windowTitle, sizeof s.windowTitle);
  LoadStringA(instance, IDS_CLASS_NAME, s.className, sizeof s.className);
  if (FindWindowA(s.className, nullptr) != nullptr) {
    ports().ui->messageBox(nullptr, startup_text::kAlreadyLoaded, startup_text::kInfo,
                           kIconExclamation);
    return exitCodeFor(kExitNotStarted);
  }
  s.platformKind = detectPlatform();
  s.discoveryReported = 0;
  logStart();
  if (runMode.kind == RunKind::NotUnderstood) return exitCodeFor(kExitNotUnderstood);
  if (s.platformKind == kAspiPlatform && !startAspiLayer()) return exitCodeFor(kExitNoDrive);

  const bool registered = registerMainWindowClass(instance);
  s.instance = instance;
  HWND mainWindow = createMainWindow(instance, menu);
  if (mainWindow == nullptr) {
    stopAspiLayer();
    return exitCodeFor(kExitNotStarted);
  }
  s.mainWindow = mainWindow;
  if (!IsWindow(static_cast<HWND>(s.controlPanel))) {
    s.controlPanel = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_CONTROL_PANEL), mainWindow,
                                        controlPanelProc, 0);
    ShowWindow(static_cast<HWND>(s.controlPanel), SW_SHOW);
    UpdateWindow(static_cast<HWND>(s.controlPanel));
  }
  HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  ShowWindow(mainWindow, showCommand);
  UpdateWindow(mainWindow);

  const int exitCode = runMessageLoop(accelerators);
  if (registered) UnregisterClassA(s.className, instance);
  stopAspiLayer();
  return programExitCode(exitCode);
}

}  // namespace
}  // namespace flindor

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int showCommand) {
  return flindor::run(instance, arguments, showCommand);
}
