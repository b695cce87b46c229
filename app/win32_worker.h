#pragma once
// The worker port on KERNEL32: one thread per job, left to end by itself.

#include "platform/ports.h"

namespace flindor::win32 {

class Win32Worker final : public Worker {
 public:
  bool start(void (*job)(void* context), void* context) override;
};

}  // namespace flindor::win32
