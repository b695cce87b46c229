#include "app/win32_session_guard.h"

#include <windows.h>

#include "app/win32_handles.h"

namespace flindor::win32 {
namespace {

using SetThreadExecutionStateEntry = DWORD(WINAPI*)(DWORD);
using BlockReasonCreateEntry = BOOL(WINAPI*)(HWND, LPCWSTR);
using BlockReasonDestroyEntry = BOOL(WINAPI*)(HWND);

// Values of the platform headers that older headers lack.
constexpr DWORD kContinuous = 0x80000000;      // ES_CONTINUOUS
constexpr DWORD kSystemRequired = 0x00000001;  // ES_SYSTEM_REQUIRED

template <class Entry>
Entry lookUp(const char* library, const char* name) {
  HMODULE module = GetModuleHandleA(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void setExecutionState(DWORD state) {
  if (auto entry =
          lookUp<SetThreadExecutionStateEntry>("KERNEL32.DLL", "SetThreadExecutionState")) {
    entry(state);
  }
}

}  // namespace

void Win32SessionGuard::hold(WindowHandle window, const char* reason) {
  setExecutionState(kContinuous | kSystemRequired);
  auto create = lookUp<BlockReasonCreateEntry>("USER32.DLL", "ShutdownBlockReasonCreate");
  if (create == nullptr) return;
  // The reason is plain ASCII: widened byte for byte, cut to the buffer.
  WCHAR wide[128] = {};
  for (int i = 0; i + 1 < 128 && reason[i] != '\0'; ++i) {
    wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(reason[i]));
  }
  create(toWindow(window), wide);
}

void Win32SessionGuard::release(WindowHandle window) {
  setExecutionState(kContinuous);
  if (auto destroy = lookUp<BlockReasonDestroyEntry>("USER32.DLL", "ShutdownBlockReasonDestroy")) {
    destroy(toWindow(window));
  }
}

}  // namespace flindor::win32
