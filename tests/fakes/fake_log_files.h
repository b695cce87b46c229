#pragma once
// The log's files in memory, by path, with folders that refuse to be written.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace flindor::testing {

class FakeLogFiles : public LogFiles {
 public:
  bool temporaryFolder(char* buffer, std::uint32_t capacity) override;
  bool size(const char* path, std::uint32_t& bytes) override;
  bool append(const char* path, const char* text, std::uint32_t length) override;
  bool replace(const char* from, const char* to) override;

  // The file's lines without their line ends, the date and time cut off.
  std::vector<std::string> lines(const std::string& path = kProgramLog) const;

  static constexpr char kProgramLog[] = "C:\\FLINDOR\\FLINDOR.LOG";
  std::map<std::string, std::string> files;
  std::set<std::string> readOnlyFolders;  // e.g. "C:\\FLINDOR\\"
  bool failing = false;                   // nothing can be written anywhere
  std::string temporary = "C:\\TEMP\\";
};

}  // namespace flindor::testing
