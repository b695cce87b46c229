#pragma once
// The ASPI manager port: the two entry points of wnaspi32.dll, called through their pointers.

#include <windows.h>

#include "platform/ports.h"

namespace flindor::win32 {

// The ASPI for Win32 entry points are cdecl, not the WINAPI convention of the system DLLs.
using GetSupportInfoEntry = DWORD(__cdecl*)(void);
using SendCommandEntry = DWORD(__cdecl*)(void*);

class Win32AspiManager final : public AspiManager {
 public:
  // Calls whatever entry points start-up has stored in appState at the time of each call, so
  // the port can be installed before the library is loaded.
  Win32AspiManager() = default;
  // Calls these entry points.
  Win32AspiManager(GetSupportInfoEntry getSupportInfo, SendCommandEntry sendCommand);

  std::uint32_t getSupportInfo() override;
  std::uint32_t sendCommand(void* request) override;

 private:
  GetSupportInfoEntry getSupportInfo_ = nullptr;
  SendCommandEntry sendCommand_ = nullptr;
};

}  // namespace flindor::win32
