#pragma once
// The heap port on the process heap, where the ASPI requests live.

#include "platform/ports.h"

namespace flindor::win32 {

class Win32Heap final : public Heap {
 public:
  void* allocate(std::size_t bytes) override;
  void release(void* block) override;
};

}  // namespace flindor::win32
