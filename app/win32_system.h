#pragma once
// The system port on ADVAPI32 and USER32: the registry read of platform detection, the shutdown
// privilege and the reboot request.

#include "platform/ports.h"

namespace flindor::win32 {

class Win32System final : public System {
 public:
  RegistryRead readMachineValue(const char* subkey, const char* value, char* buffer,
                                std::uint32_t& size) override;
  bool openProcessToken(ObjectHandle& token) override;
  bool lookupShutdownPrivilege(std::uint64_t& luid) override;
  bool enablePrivilege(ObjectHandle token, std::uint64_t luid) override;
  std::uint32_t lastError() override;
  void closeHandle(ObjectHandle handle) override;
  bool exitWindows(std::uint32_t flags, std::uint32_t reserved) override;
};

}  // namespace flindor::win32
