#pragma once
// The session guard on USER32 and KERNEL32, as far as the running Windows has it: the system is
// kept awake (Windows 98, 2000 and later) and a shutdown shows why it is blocked (Vista and
// later). Both are looked up at run time, as Windows 95 and NT 4.0 lack them.

#include "platform/ports.h"

namespace flindor::win32 {

class Win32SessionGuard final : public SessionGuard {
 public:
  void hold(WindowHandle window, const char* reason) override;
  void release(WindowHandle window) override;
};

}  // namespace flindor::win32
