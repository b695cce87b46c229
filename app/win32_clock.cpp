#include "app/win32_clock.h"

#include <windows.h>

namespace flindor::win32 {

std::uint32_t Win32Clock::milliseconds() { return GetTickCount(); }

LocalTime Win32Clock::localTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace flindor::win32
