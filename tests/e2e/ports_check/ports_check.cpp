// e2e_ports_check: the Win32 ports against the real system calls, run under Wine. The fakes of
// the unit tests answer as the ports promise; this checks that the adapters keep that promise:
// full 64-bit file sizes, no sharing, short reads at the end, the registry's size rules, the
// privilege's LUID, the volume device, the ASPI library and its entry points, and the paint
// helpers' order of giving GDI objects back. Prints each failed
// check and exits 1 if there was one.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/gdi_objects.h"
#include "app/win32_aspi_library.h"
#include "app/win32_aspi_manager.h"
#include "app/win32_file_system.h"
#include "app/win32_heap.h"
#include "app/win32_session_guard.h"
#include "app/win32_system.h"
#include "app/win32_volume_devices.h"
#include "app/win32_worker.h"
#include "scsi/drive_controls.h"
#include "state/app_state.h"

namespace {

using namespace flindor;
using namespace flindor::win32;

int failures = 0;

void check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

// A file of `size` bytes whose content is its offsets' low bytes; sparse beyond what is written.
bool makeFile(const char* path, std::uint64_t size) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char head[16];
  for (int i = 0; i < 16; ++i) head[i] = static_cast<char>(i);
  DWORD written = 0;
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  const bool ok =
      WriteFile(file, head, size < 16 ? static_cast<DWORD>(size) : 16, &written, nullptr) &&
      SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
}

void checkFiles() {
  Win32FileSystem files;
  CreateDirectoryA("C:\\ports_check", nullptr);
  const char* image = "C:\\ports_check\\image.bin";
  const char* huge = "C:\\ports_check\\huge.bin";
  check(makeFile(image, 131080), "files: fixture image.bin made");
  check(makeFile(huge, 0x100000000ull + 131080), "files: fixture huge.bin (sparse) made");

  check(files.openForReading("C:\\ports_check\\missing.bin") == kInvalidHandle,
        "files: a missing file does not open");
  const ObjectHandle file = files.openForReading(image);
  check(file != kInvalidHandle, "files: image.bin opens");
  check(files.openForReading(image) == kInvalidHandle,
        "files: a second open fails while the first holds it (no sharing)");
  std::uint64_t size = 0;
  check(files.size(file, size) && size == 131080, "files: size 131080");
  char bytes[5] = {};
  std::uint32_t got = 0;
  check(files.setPosition(file, 1) && files.read(file, bytes, 4, got) && got == 4 &&
            bytes[0] == 1 && bytes[3] == 4,
        "files: position 1, then 4 bytes read");
  check(files.setPosition(file, 131078) && files.read(file, bytes, 5, got) && got == 2,
        "files: a read across the end is short, not failed");
  files.close(file);
  const ObjectHandle again = files.openForReading(image);
  check(again != kInvalidHandle, "files: closed, so it opens again");
  files.close(again);

  const ObjectHandle big = files.openForReading(huge);
  check(files.size(big, size) && size == 0x100000000ull + 131080,
        "files: a size beyond 4 GiB keeps its high part");
  files.close(big);
}

void checkRegistry() {
  Win32System system;
  const char* subkey = "Software\\FlindorPortsCheck";
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  const std::string fits(99, 'F'), tooLong(100, 'T');
  RegSetValueExA(key, "Fits", 0, REG_SZ, reinterpret_cast<const BYTE*>(fits.c_str()), 100);
  RegSetValueExA(key, "TooLong", 0, REG_SZ, reinterpret_cast<const BYTE*>(tooLong.c_str()), 101);
  RegCloseKey(key);

  char buffer[100];
  std::uint32_t size = sizeof buffer;
  check(system.readMachineValue(subkey, "Fits", buffer, size, RegistryAccess::AllAccess) ==
                RegistryRead::Read &&
            size == 100 && std::strlen(buffer) == 99,
        "registry: 99 characters and the zero fit in 100 bytes");
  size = sizeof buffer;
  check(system.readMachineValue(subkey, "TooLong", buffer, size, RegistryAccess::Read) ==
            RegistryRead::ValueNotRead,
        "registry: 100 characters and the zero do not");
  size = sizeof buffer;
  check(system.readMachineValue(subkey, "Missing", buffer, size, RegistryAccess::Read) ==
            RegistryRead::ValueNotRead,
        "registry: a missing value is not read");
  size = sizeof buffer;
  check(system.readMachineValue("Software\\NoSuchKeyAnywhere", "Fits", buffer, size,
                                RegistryAccess::Read) == RegistryRead::KeyNotOpened,
        "registry: a missing key is not opened");
  size = sizeof buffer;
  check(system.readMachineValue("Software\\Microsoft\\Windows nt\\CurrentVersion", "ProductName",
                                buffer, size, RegistryAccess::AllAccess) == RegistryRead::Read,
        "registry: Wine's ProductName under the Windows NT key");
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, subkey);
}

void checkPrivilege() {
  Win32System system;
  ObjectHandle token = kInvalidHandle;
  check(system.openProcessToken(token), "privilege: the process token opens");
  std::uint64_t luid = 0;
  // SE_SHUTDOWN_PRIVILEGE is 19: in the low half, so the packing keeps LowPart low.
  check(system.lookupShutdownPrivilege(luid) && luid == 19, "privilege: SeShutdownPrivilege is 19");
  check(system.enablePrivilege(token, luid), "privilege: enabled");
  system.closeHandle(token);
}

void checkVolumes() {
  Win32VolumeDevices volumes;
  // The program's device path: the letter, a colon and 14 blanks.
  const ObjectHandle volume = volumes.open("\\\\.\\C:              ", VolumeAccess::ReadWrite);
  check(volume != kInvalidHandle, "volumes: C: opens for read and write, shared");
  unsigned char request[80] = {};
  std::uint32_t returned = 99;
  std::uint32_t error = 0;
  check(!volumes.passThrough(volume, request, sizeof request, returned, error) && returned == 0,
        "volumes: Wine refuses SCSI pass-through on it");
  check(error == ERROR_NOT_SUPPORTED, "volumes: with the system's reason, error 50");
  // The two controls that keep other programs from a drive: what Wine makes of them.
  const ObjectHandle attributes = volumes.open("\\\\.\\C:              ", VolumeAccess::Attributes);
  check(attributes != kInvalidHandle, "volumes: C: opens for its attributes only");
  const std::uint8_t pollingOff = 1;
  check(!volumes.control(attributes, kIoctlStorageMcnControl, &pollingOff, 1, nullptr, 0, error) &&
            error == ERROR_NOT_SUPPORTED,
        "volumes: Wine refuses IOCTL_STORAGE_MCN_CONTROL with error 50");
  CdromExclusiveLock lock{{kExclusiveAccessLockDevice, kCdromLockIgnoreVolume}, {'F'}};
  check(
      !volumes.control(volume, kIoctlCdromExclusiveAccess, &lock, sizeof lock, nullptr, 0, error) &&
          error == ERROR_NOT_SUPPORTED,
      "volumes: Wine refuses IOCTL_CDROM_EXCLUSIVE_ACCESS with error 50");
  volumes.close(attributes);
  volumes.close(volume);
  check(volumes.open("\\\\.\\Q:              ", VolumeAccess::ReadWrite) == kInvalidHandle,
        "volumes: an unmapped letter does not open");
}

void checkHeap() {
  Win32Heap heap;
  void* block = heap.allocate(8448);
  check(block != nullptr, "heap: 8448 bytes taken");
  if (block != nullptr) std::memset(block, 0xAB, 8448);
  heap.release(block);
  heap.release(nullptr);
  check(true, "heap: given back, and nothing given back is no fault");
}

void* lastRequest = nullptr;
DWORD __cdecl supportInfo() { return 0x0103; }
DWORD __cdecl sendCommand(void* request) {
  lastRequest = request;
  return 0;
}

void checkAspi() {
  int request = 0;
  Win32AspiManager given(supportInfo, sendCommand);
  check(given.getSupportInfo() == 0x0103, "aspi: GetASPI32SupportInfo's value comes back");
  check(given.sendCommand(&request) == 0 && lastRequest == &request,
        "aspi: SendASPI32Command gets the request");

  Win32AspiManager fromState;
  check(fromState.getSupportInfo() == 0 && fromState.sendCommand(&request) == 0xE3,
        "aspi: without a loaded manager, no adapters and SS_NO_ASPI");
  appState.getAspi32SupportInfo = reinterpret_cast<void*>(supportInfo);
  appState.sendAspi32Command = reinterpret_cast<void*>(sendCommand);
  lastRequest = nullptr;
  check(fromState.getSupportInfo() == 0x0103 && fromState.sendCommand(&request) == 0 &&
            lastRequest == &request,
        "aspi: the entry points stored at start-up are called");
}

void checkAspiLibrary() {
  Win32AspiLibrary libraries;
  check(libraries.load("no_such_manager.dll") == nullptr,
        "aspi library: a missing DLL is not loaded");
  ModuleHandle kernel = libraries.load("kernel32.dll");
  check(kernel != nullptr, "aspi library: a present DLL is loaded");
  check(libraries.entryPoint(kernel, "GetTickCount") != nullptr &&
            libraries.entryPoint(kernel, "SendASPI32Command") == nullptr,
        "aspi library: present entry points are found, absent ones are not");
  libraries.free(kernel);
}

// The paint helpers select the device context's own pen and brush back before they delete
// theirs; GDI does not delete an object that is still selected.
void checkGdiObjects() {
  HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ ownPen = GetCurrentObject(dc, OBJ_PEN);
  const HGDIOBJ ownBrush = GetCurrentObject(dc, OBJ_BRUSH);
  HGDIOBJ pen = nullptr, brush = nullptr;
  {
    Pen fill = solidPen(RGB(6, 46, 148));
    Brush area = solidBrush(RGB(6, 46, 148));
    pen = fill.get();
    brush = area.get();
    Selection usePen(dc, fill.get());
    Selection useBrush(dc, area.get());
    check(GetCurrentObject(dc, OBJ_PEN) == pen && GetCurrentObject(dc, OBJ_BRUSH) == brush,
          "gdi: pen and brush selected");
    Rectangle(dc, 35, 132, 53, 148);
  }
  check(GetCurrentObject(dc, OBJ_PEN) == ownPen && GetCurrentObject(dc, OBJ_BRUSH) == ownBrush,
        "gdi: the context's own pen and brush are selected back");
  check(GetObjectType(pen) == 0 && GetObjectType(brush) == 0, "gdi: pen and brush are deleted");
  DeleteDC(dc);
}

// Wine marks its own DLLs in the DOS stub of their headers. It reports a builtin that stands in
// for a DLL beside the program under that DLL's path, so only the mark tells them apart.
bool isWineBuiltin(ModuleHandle module) {
  static const char kMark[] = "Wine builtin DLL";
  return module != nullptr &&
         std::memcmp(static_cast<const char*>(module) + 0x40, kMark, sizeof kMark - 1) == 0;
}

// Wine prefers its own builtin wnaspi32.dll; with the override the test sets, the one beside the
// program is the one that loads, as on Windows.
void checkLocalAspiManager() {
  Win32AspiLibrary libraries;
  ModuleHandle kernel = libraries.load("kernel32.dll");
  check(isWineBuiltin(kernel), "aspi library: kernel32.dll carries Wine's builtin mark");
  libraries.free(kernel);
  ModuleHandle manager = libraries.load("wnaspi32.dll");
  check(manager != nullptr && !isWineBuiltin(manager),
        "aspi library: wnaspi32.dll beside the program is the one loaded, not Wine's own");
  check(libraries.entryPoint(manager, "GetASPI32SupportInfo") != nullptr &&
            libraries.entryPoint(manager, "SendASPI32Command") != nullptr,
        "aspi library: it has both entry points");
  libraries.free(manager);
}

}  // namespace

// The job runs on a thread of its own and the caller goes on at once; the session guard holds
// and lets go whether or not this Windows has the facilities.
void checkWorkerAndSession() {
  static HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  static DWORD caller = GetCurrentThreadId();
  static DWORD ranOn = 0;
  Win32Worker worker;
  check(worker.start(
            [](void*) {
              ranOn = GetCurrentThreadId();
              SetEvent(done);
            },
            nullptr),
        "worker: a thread starts");
  check(WaitForSingleObject(done, 5000) == WAIT_OBJECT_0 && ranOn != caller,
        "worker: the job ran on another thread");
  Win32SessionGuard session;
  session.hold(nullptr, "Updating the drive's firmware. Do not switch off.");
  session.release(nullptr);
  check(true, "session guard: hold and release");
}

int main(int argc, char** argv) {
  checkFiles();
  checkRegistry();
  checkPrivilege();
  checkVolumes();
  checkHeap();
  checkAspi();
  checkAspiLibrary();
  checkGdiObjects();
  checkWorkerAndSession();
  if (argc > 1 && std::strcmp(argv[1], "--local-wnaspi32") == 0) checkLocalAspiManager();
  std::printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
