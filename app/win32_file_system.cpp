#include "app/win32_file_system.h"

#include <windows.h>

#include "app/win32_handles.h"

namespace flindor::win32 {

ObjectHandle Win32FileSystem::openForReading(const char* path) {
  return fromHandle(
      CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Win32FileSystem::size(ObjectHandle file, std::uint64_t& bytes) {
  // INVALID_FILE_SIZE is also the low half of a valid size; only the error code tells them
  // apart, so it is cleared first rather than trusted to be left alone on success.
  DWORD high = 0;
  SetLastError(NO_ERROR);
  const DWORD low = GetFileSize(toHandle(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  bytes = (static_cast<std::uint64_t>(high) << 32) | low;
  return true;
}

bool Win32FileSystem::setPosition(ObjectHandle file, std::uint32_t offset) {
  // With a high part given, the low part is taken as unsigned: every 32-bit offset works.
  LONG high = 0;
  SetLastError(NO_ERROR);
  const DWORD moved = SetFilePointer(toHandle(file), static_cast<LONG>(offset), &high, FILE_BEGIN);
  return !(moved == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool Win32FileSystem::read(ObjectHandle file, void* buffer, std::uint32_t length,
                           std::uint32_t& bytesRead) {
  DWORD got = 0;
  const BOOL ok = ReadFile(toHandle(file), buffer, length, &got, nullptr);
  bytesRead = got;
  return ok != FALSE;
}

void Win32FileSystem::close(ObjectHandle file) { CloseHandle(toHandle(file)); }

}  // namespace flindor::win32
