#pragma once
// The ASPI library port on KERNEL32: loading wnaspi32.dll at start-up and finding its entry
// points.

#include "platform/ports.h"

namespace flindor::win32 {

class Win32AspiLibrary final : public AspiLibrary {
 public:
  ModuleHandle load(const char* fileName) override;
  void* entryPoint(ModuleHandle library, const char* name) override;
  void free(ModuleHandle library) override;
};

}  // namespace flindor::win32
