#pragma once
// The ports: the few things the core asks of the outside world, one small interface per role.
// app/ implements them with Win32; the tests implement them with recording fakes and the
// simulated drive. Handles are opaque here: the core only hands them back.

#include <cstddef>
#include <cstdint>

namespace flindor {

using WindowHandle = void*;
using InstanceHandle = void*;
using ModuleHandle = void*;
// A kernel object handle (file, volume, token) as an integer, so the core needs no Win32 types.
using ObjectHandle = std::intptr_t;
inline constexpr ObjectHandle kInvalidHandle = -1;  // INVALID_HANDLE_VALUE

// Message box styles, numbered as the platform numbers them (MB_OK is 0).
inline constexpr std::uint32_t kIconError = 0x10;        // MB_ICONERROR
inline constexpr std::uint32_t kIconWarning = 0x30;      // MB_ICONWARNING
inline constexpr std::uint32_t kIconExclamation = 0x30;  // MB_ICONEXCLAMATION, the same bits
inline constexpr std::uint32_t kIconInformation = 0x40;  // MB_ICONINFORMATION
inline constexpr std::uint32_t kButtonsYesNo = 0x4;      // MB_YESNO
inline constexpr std::uint32_t kDefaultButton2 = 0x100;  // MB_DEFBUTTON2: No is the default

// What the file-open dialog is asked for; mirrors the fields of OPENFILENAMEA that are set.
struct OpenFileRequest {
  WindowHandle owner = nullptr;
  const char* filter = nullptr;  // pairs of zero-terminated texts, ended by an empty text
  std::uint32_t filterIndex = 0;
  char* file = nullptr;  // in: the initial text; out: the chosen path
  std::uint32_t maxFile = 0;
  std::uint32_t structSize = 0;  // the parameter block's size as passed to the dialog
};

struct OpenFileResult {
  std::uint16_t fileOffset = 0;       // nFileOffset: where the file name starts
  std::uint16_t extensionOffset = 0;  // nFileExtension: first character after the last dot
};

struct PixelRect {
  int left, top, right, bottom;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  virtual void messageBox(WindowHandle owner, const char* text, const char* caption,
                          std::uint32_t style) = 0;
  // A question with Yes and No buttons (`style` says which is the default); true for Yes.
  virtual bool ask(WindowHandle owner, const char* text, const char* caption,
                   std::uint32_t style) = 0;
  virtual void beep() = 0;  // MessageBeep(0xFFFFFFFF)
  virtual void setItemText(WindowHandle dialog, int itemId, const char* text) = 0;
  virtual void setWindowText(WindowHandle window, const char* text) = 0;
  // False when the user cancelled.
  virtual bool openFileDialog(const OpenFileRequest& request, OpenFileResult& result) = 0;
  // Modal, owned by `owner`; returns when the dialog has closed.
  virtual void showDialog(int templateId, WindowHandle owner) = 0;
  // SendMessageA(window, WM_COMMAND, wParam, lParam): synchronous, also across threads.
  virtual void sendCommand(WindowHandle window, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // PostMessageA(window, WM_COMMAND, wParam, lParam): queued, handled when the loop gets to it.
  virtual void postCommand(WindowHandle window, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // SendMessageA(window, WM_TIMER, 0, 0).
  virtual void sendTimerTick(WindowHandle window) = 0;
  virtual WindowHandle parentOf(WindowHandle window) = 0;
  virtual void setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t periodMs) = 0;
  virtual void killTimer(WindowHandle window, std::uintptr_t id) = 0;
  // Invalidates the region without erasing the background.
  virtual void invalidate(WindowHandle window, const PixelRect& area) = 0;
  virtual void showWindow(WindowHandle window) = 0;  // SW_SHOW
  virtual void destroyWindow(WindowHandle window) = 0;
  virtual void postQuit(int exitCode) = 0;
  virtual void comboAddString(WindowHandle combo, const char* text) = 0;
  virtual int comboCurrentSelection(WindowHandle combo) = 0;          // -1 (CB_ERR) when none
  virtual void comboSetSelection(WindowHandle combo, int index) = 0;  // CB_SETCURSEL
};

// Files, opened by path for one operation each.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Read access, no sharing, existing files only; kInvalidHandle on failure.
  virtual ObjectHandle openForReading(const char* path) = 0;
  // False when the size cannot be asked.
  virtual bool size(ObjectHandle file, std::uint64_t& bytes) = 0;
  virtual bool setPosition(ObjectHandle file, std::uint32_t offset) = 0;
  // False when the read call fails; a short read at the end of the file is not a failure.
  virtual bool read(ObjectHandle file, void* buffer, std::uint32_t length,
                    std::uint32_t& bytesRead) = 0;
  virtual void close(ObjectHandle file) = 0;
};

// The ASPI manager (wnaspi32.dll) as loaded at start-up.
class AspiManager {
 public:
  virtual ~AspiManager() = default;
  virtual std::uint32_t getSupportInfo() = 0;
  // SendASPI32Command: returns SS_PENDING (0) when it accepted a posted request.
  virtual std::uint32_t sendCommand(void* request) = 0;
};

// Loading the ASPI manager's library at start-up.
class AspiLibrary {
 public:
  virtual ~AspiLibrary() = default;
  virtual ModuleHandle load(const char* fileName) = 0;  // nullptr when it cannot be loaded
  virtual void* entryPoint(ModuleHandle library, const char* name) = 0;  // nullptr when absent
  virtual void free(ModuleHandle library) = 0;
};

// The heap the ASPI requests live on; a port so tests can count what is taken and given back.
class Heap {
 public:
  virtual ~Heap() = default;
  virtual void* allocate(std::size_t bytes) = 0;  // nullptr when none is left
  virtual void release(void* block) = 0;
};

// How a volume is opened: for reading and writing (GENERIC_READ | GENERIC_WRITE), as SCSI
// pass-through needs it, or for its attributes only (FILE_READ_ATTRIBUTES), as the control of the
// drive's media-change notification wants it.
enum class VolumeAccess { ReadWrite, Attributes };

// Volume devices of drive letters, for SCSI pass-through.
class VolumeDevices {
 public:
  virtual ~VolumeDevices() = default;
  // With `access`, shared read and write, existing only; kInvalidHandle on failure.
  virtual ObjectHandle open(const char* devicePath, VolumeAccess access) = 0;
  // DeviceIoControl(IOCTL_SCSI_PASS_THROUGH_DIRECT) with `request` as input and output. On
  // failure `error` is the system's error code (GetLastError), else 0.
  virtual bool passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                           std::uint32_t& bytesReturned, std::uint32_t& error) = 0;
  // DeviceIoControl(code) with `in` as the input and `out` (may be null) as the output buffer.
  // On failure `error` is the system's error code, else 0.
  virtual bool control(ObjectHandle volume, std::uint32_t code, const void* in,
                       std::uint32_t inSize, void* out, std::uint32_t outSize,
                       std::uint32_t& error) = 0;
  virtual void close(ObjectHandle volume) = 0;
};

// A thread for one job that waits on a device, so the GUI thread goes on pumping messages.
class Worker {
 public:
  virtual ~Worker() = default;
  // Runs job(context) on a thread of its own. False when no thread could be started: the job
  // then never runs.
  virtual bool start(void (*job)(void* context), void* context) = 0;
};

// Keeps the system from shutting down or sleeping on its own while the drive must not lose
// power, and tells the user why; on systems without these facilities it does nothing.
class SessionGuard {
 public:
  virtual ~SessionGuard() = default;
  // Called on the GUI thread, which owns `window`; undone by release() on the same thread.
  virtual void hold(WindowHandle window, const char* reason) = 0;
  virtual void release(WindowHandle window) = 0;
};

// The local date and time, as the system keeps it.
struct LocalTime {
  std::uint16_t year, month, day, hour, minute, second;
};

// Time: how long the system has run, to measure a wait by, and the date and time of day.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since the system started (GetTickCount); wraps after 49.7 days, so only
  // differences count.
  virtual std::uint32_t milliseconds() = 0;
  virtual LocalTime localTime() = 0;
};

enum class RegistryRead { KeyNotOpened, ValueNotRead, Read };
// How a key is opened for reading: with all-access rights (KEY_ALL_ACCESS), as the platform
// detection asks, or for reading only (KEY_READ), which a restricted account is granted too.
enum class RegistryAccess { AllAccess, Read };

// Where the PC's power comes from, as far as the system knows.
enum class PowerSource { Unknown, Mains, Battery };

// Registry, privileges, the reboot request, and what the system says about the program and the
// PC.
class System {
 public:
  virtual ~System() = default;
  // Opens HKEY_LOCAL_MACHINE\subkey with `access` and reads `value` into `buffer`; `size` goes
  // in as the buffer's capacity and comes out as the bytes stored.
  virtual RegistryRead readMachineValue(const char* subkey, const char* value, char* buffer,
                                        std::uint32_t& size, RegistryAccess access) = 0;
  // OpenProcessToken(current process, TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY).
  virtual bool openProcessToken(ObjectHandle& token) = 0;
  // LookupPrivilegeValueA(local system, "SeShutdownPrivilege").
  virtual bool lookupShutdownPrivilege(std::uint64_t& luid) = 0;
  // AdjustTokenPrivileges with one privilege, SE_PRIVILEGE_ENABLED, no previous state.
  virtual bool enablePrivilege(ObjectHandle token, std::uint64_t luid) = 0;
  virtual std::uint32_t lastError() = 0;
  virtual void closeHandle(ObjectHandle handle) = 0;
  // ExitWindowsEx(flags, reserved).
  virtual bool exitWindows(std::uint32_t flags, std::uint32_t reserved) = 0;
  // Creates HKEY_LOCAL_MACHINE\subkey if needed and sets the string `value` to `text`.
  virtual bool writeMachineValue(const char* subkey, const char* value, const char* text) = 0;
  // Deletes HKEY_LOCAL_MACHINE\subkey, which has no subkeys, with its values.
  virtual bool deleteMachineKey(const char* subkey) = 0;
  // The full path of the program's own file; false when it does not fit.
  virtual bool programPath(char* buffer, std::uint32_t capacity) = 0;
  virtual PowerSource powerSource() = 0;
};

// The files of the log: appended to line by line, each write complete when the call returns.
class LogFiles {
 public:
  virtual ~LogFiles() = default;
  // The system's folder for temporary files, with its closing backslash; false when it is not
  // given or does not fit.
  virtual bool temporaryFolder(char* buffer, std::uint32_t capacity) = 0;
  // False when the file cannot be asked, e.g. because it does not exist.
  virtual bool size(const char* path, std::uint32_t& bytes) = 0;
  // Appends `length` bytes, creating the file if needed; false unless all were written.
  virtual bool append(const char* path, const char* text, std::uint32_t length) = 0;
  // Renames `from` to `to`; false when it cannot, as when a file named `to` exists already.
  virtual bool rename(const char* from, const char* to) = 0;
  virtual bool remove(const char* path) = 0;
};

struct Ports {
  UserInterface* ui = nullptr;
  FileSystem* files = nullptr;
  AspiManager* aspi = nullptr;
  AspiLibrary* aspiLibrary = nullptr;
  Heap* heap = nullptr;
  VolumeDevices* volumes = nullptr;
  System* system = nullptr;
  Worker* worker = nullptr;
  SessionGuard* session = nullptr;
  Clock* clock = nullptr;
  LogFiles* logFiles = nullptr;
};

// The ports in force for this run; installed once by the entry point (or by a test).
Ports& ports();

}  // namespace flindor
