#include "app/win32_volume_devices.h"

#include <windows.h>
// after windows.h, whose types it uses
#include <ntddscsi.h>

#include "app/win32_handles.h"
#include "scsi/pass_through_request.h"

namespace flindor::win32 {

// The code the storage stack knows the request by; the core builds the request for it.
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == kIoctlScsiPassThroughDirect);
// The core's record is read by the storage stack as the platform's own, on either width.
static_assert(sizeof(ScsiPassThroughDirect) == sizeof(SCSI_PASS_THROUGH_DIRECT));
static_assert(offsetof(ScsiPassThroughDirect, DataTransferLength) ==
              offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength));
static_assert(offsetof(ScsiPassThroughDirect, DataBuffer) ==
              offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer));
static_assert(offsetof(ScsiPassThroughDirect, SenseInfoOffset) ==
              offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset));
static_assert(offsetof(ScsiPassThroughDirect, Cdb) == offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb));

ObjectHandle Win32VolumeDevices::open(const char* devicePath) {
  return fromHandle(CreateFileA(devicePath, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
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

void Win32VolumeDevices::close(ObjectHandle volume) { CloseHandle(toHandle(volume)); }

}  // namespace flindor::win32
