#include "app/win32_system.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <type_traits>

#include "app/win32_handles.h"

namespace flindor::win32 {
namespace {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using ScopedKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

LUID toLuid(std::uint64_t packed) {
  LUID luid;
  luid.LowPart = static_cast<DWORD>(packed);
  luid.HighPart = static_cast<LONG>(static_cast<std::uint32_t>(packed >> 32));
  return luid;
}

std::uint64_t fromLuid(const LUID& luid) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(luid.HighPart)) << 32) |
         luid.LowPart;
}

}  // namespace

RegistryRead Win32System::readMachineValue(const char* subkey, const char* value, char* buffer,
                                           std::uint32_t& size, RegistryAccess access) {
  HKEY opened = nullptr;
  const REGSAM rights = access == RegistryAccess::Read ? KEY_READ : KEY_ALL_ACCESS;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, rights, &opened) != ERROR_SUCCESS) {
    return RegistryRead::KeyNotOpened;
  }
  const ScopedKey key(opened);
  DWORD bytes = size;
  const LONG status =
      RegQueryValueExA(key.get(), value, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &bytes);
  size = bytes;
  return status == ERROR_SUCCESS ? RegistryRead::Read : RegistryRead::ValueNotRead;
}

bool Win32System::openProcessToken(ObjectHandle& token) {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) {
    return false;
  }
  token = fromHandle(opened);
  return true;
}

bool Win32System::lookupShutdownPrivilege(std::uint64_t& luid) {
  LUID found{};
  if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &found)) return false;
  luid = fromLuid(found);
  return true;
}

bool Win32System::enablePrivilege(ObjectHandle token, std::uint64_t luid) {
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid = toLuid(luid);
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  return AdjustTokenPrivileges(toHandle(token), FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
}

std::uint32_t Win32System::lastError() { return GetLastError(); }

void Win32System::closeHandle(ObjectHandle handle) { CloseHandle(toHandle(handle)); }

bool Win32System::exitWindows(std::uint32_t flags, std::uint32_t reserved) {
  return ExitWindowsEx(flags, reserved) != FALSE;
}

bool Win32System::writeMachineValue(const char* subkey, const char* value, const char* text) {
  HKEY created = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      nullptr, &created, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const ScopedKey key(created);
  // Room for the longest text written, the RunOnce command of a run without a person (the
  // program's quoted path, /verdict and a quoted log path), or a verdict: a longer one is refused
  // rather than stored cut and without its terminating zero.
  constexpr std::size_t kLongestText = 2 * (MAX_PATH + 2) + 16;
  const std::size_t length = strnlen(text, kLongestText + 1);
  if (length > kLongestText) return false;
  return RegSetValueExA(key.get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(length + 1)) == ERROR_SUCCESS;
}

bool Win32System::deleteMachineKey(const char* subkey) {
  return RegDeleteKeyA(HKEY_LOCAL_MACHINE, subkey) == ERROR_SUCCESS;
}

bool Win32System::programPath(char* buffer, std::uint32_t capacity) {
  const DWORD length = GetModuleFileNameA(nullptr, buffer, capacity);
  return length > 0 && length < capacity;
}

PowerSource Win32System::powerSource() {
  // Windows 95 with APM has it, NT 4.0 does not: looked up, never imported.
  using PowerStatusEntry = BOOL(WINAPI*)(SYSTEM_POWER_STATUS*);
  const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
  const auto entry = kernel != nullptr ? reinterpret_cast<PowerStatusEntry>(reinterpret_cast<void*>(
                                             GetProcAddress(kernel, "GetSystemPowerStatus")))
                                       : nullptr;
  SYSTEM_POWER_STATUS status{};
  if (entry == nullptr || !entry(&status)) return PowerSource::Unknown;
  if (status.ACLineStatus == 0) return PowerSource::Battery;
  return status.ACLineStatus == 1 ? PowerSource::Mains : PowerSource::Unknown;
}

}  // namespace flindor::win32
