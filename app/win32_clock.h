#pragma once
// The clock port on KERNEL32.

#include "platform/ports.h"

namespace flindor::win32 {

class Win32Clock final : public Clock {
 public:
  std::uint32_t milliseconds() override;
  LocalTime localTime() override;
};

}  // namespace flindor::win32
