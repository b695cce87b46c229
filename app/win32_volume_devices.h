#pragma once
// The volume port on KERNEL32: a drive letter's volume device, opened for one SCSI pass-through
// command at a time.

#include "platform/ports.h"

namespace flindor::win32 {

class Win32VolumeDevices final : public VolumeDevices {
 public:
  ObjectHandle open(const char* devicePath, VolumeAccess access) override;
  bool passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                   std::uint32_t& bytesReturned, std::uint32_t& error) override;
  bool control(ObjectHandle volume, std::uint32_t code, const void* in, std::uint32_t inSize,
               void* out, std::uint32_t outSize, std::uint32_t& error) override;
  void close(ObjectHandle volume) override;
};

}  // namespace flindor::win32
