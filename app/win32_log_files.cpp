#include "app/win32_log_files.h"

#include <windows.h>

namespace flindor::win32 {
namespace {

// Shared for reading, so that the log can be read while the program runs.
HANDLE openShared(const char* path, DWORD access, DWORD disposition, DWORD flags) {
  return CreateFileA(path, access, FILE_SHARE_READ, nullptr, disposition, flags, nullptr);
}

}  // namespace

bool Win32LogFiles::temporaryFolder(char* buffer, std::uint32_t capacity) {
  const DWORD length = GetTempPathA(capacity, buffer);
  return length > 0 && length < capacity;
}

bool Win32LogFiles::size(const char* path, std::uint32_t& bytes) {
  const HANDLE file = openShared(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes = GetFileSize(file, nullptr);
  CloseHandle(file);
  return bytes != INVALID_FILE_SIZE;
}

bool Win32LogFiles::append(const char* path, const char* text, std::uint32_t length) {
  const HANDLE file =
      openShared(path, GENERIC_WRITE, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                  WriteFile(file, text, length, &written, nullptr) && written == length;
  CloseHandle(file);
  return ok;
}

bool Win32LogFiles::rename(const char* from, const char* to) {
  return MoveFileA(from, to) != FALSE;  // fails where `to` exists
}

bool Win32LogFiles::remove(const char* path) { return DeleteFileA(path) != FALSE; }

}  // namespace flindor::win32
