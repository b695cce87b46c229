#pragma once
// The file port on KERNEL32: the image file, opened by path for one operation at a time.

#include "platform/ports.h"

namespace flindor::win32 {

class Win32FileSystem final : public FileSystem {
 public:
  ObjectHandle openForReading(const char* path) override;
  bool size(ObjectHandle file, std::uint64_t& bytes) override;
  bool setPosition(ObjectHandle file, std::uint32_t offset) override;
  bool read(ObjectHandle file, void* buffer, std::uint32_t length,
            std::uint32_t& bytesRead) override;
  void close(ObjectHandle file) override;
};

}  // namespace flindor::win32
