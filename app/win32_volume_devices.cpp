#include "app/win32_volume_devices.h"

#include <windows.h>
// after windows.h, whose types it uses
#include <ntddscsi.h>

#include "app/win32_handles.h"

namespace flindor::win32 {

ObjectHandle Win32VolumeDevices::open(const char* devicePath, VolumeAccess access) {
  const DWORD rights =
      access == VolumeAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : FILE_READ_ATTRIBUTES;
  return fromHandle(CreateFileA(devicePath, rights, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
}

bool Win32VolumeDevices::passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                                     std::uint32_t& bytesReturned, std::uint32_t& error) {
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(toHandle(volume), IOCTL_SCSI_PASS_THROUGH_DIRECT, request, size,
                                  request, size, &returned, nullptr);
  error = ok != FALSE ? 0 : GetLastError();
  bytesReturned = returned;
  return ok != FALSE;
}

bool Win32VolumeDevices::control(ObjectHandle volume, std::uint32_t code, const void* in,
                                 std::uint32_t inSize, void* out, std::uint32_t outSize,
                                 std::uint32_t& error) {
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(toHandle(volume), code, const_cast<void*>(in), inSize, out,
                                  outSize, &returned, nullptr);
  error = ok != FALSE ? 0 : GetLastError();
  return ok != FALSE;
}

void Win32VolumeDevices::close(ObjectHandle volume) { CloseHandle(toHandle(volume)); }

}  // namespace flindor::win32
