#pragma once
// The log's files on KERNEL32: each line appended through a handle of its own, written through
// to the disk before the call returns.

#include "platform/ports.h"

namespace flindor::win32 {

class Win32LogFiles final : public LogFiles {
 public:
  bool temporaryFolder(char* buffer, std::uint32_t capacity) override;
  bool size(const char* path, std::uint32_t& bytes) override;
  bool append(const char* path, const char* text, std::uint32_t length) override;
  bool rename(const char* from, const char* to) override;
  bool remove(const char* path) override;
};

}  // namespace flindor::win32
