#pragma once
// The system port on ADVAPI32, USER32 and KERNEL32: the registry (platform detection, the record
// of the update, RunOnce), the shutdown privilege, the reboot request, the program's path and the
// power source.

#include "platform/ports.h"

namespace flindor::win32 {

class Win32System final : public System {
 public:
  RegistryRead readMachineValue(const char* subkey, const char* value, char* buffer,
                                std::uint32_t& size, RegistryAccess access) override;
  bool openProcessToken(ObjectHandle& token) override;
  bool lookupShutdownPrivilege(std::uint64_t& luid) override;
  bool enablePrivilege(ObjectHandle token, std::uint64_t luid) override;
  std::uint32_t lastError() override;
  void closeHandle(ObjectHandle handle) override;
  bool exitWindows(std::uint32_t flags, std::uint32_t reserved) override;
  bool writeMachineValue(const char* subkey, const char* value, const char* text) override;
  bool deleteMachineKey(const char* subkey) override;
  bool programPath(char* buffer, std::uint32_t capacity) override;
  PowerSource powerSource() override;
};

}  // namespace flindor::win32
