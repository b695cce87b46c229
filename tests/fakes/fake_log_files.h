#pragma once
// The log's files in memory, by path; paths that begin as `unwritable` refuse to be written.

#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace flindor::testing {

class FakeLogFiles : public LogFiles {
 public:
  static constexpr char kProgramLog[] = "C:\\FLINDOR\\FLINDOR.LOG";

  bool temporaryFolder(char* buffer, std::uint32_t) override {
    return std::strcpy(buffer, "C:\\TEMP\\");
  }
  bool size(const char* path, std::uint32_t& bytes) override {
    if (!files.contains(path)) return false;
    bytes = static_cast<std::uint32_t>(files[path].size());
    return true;
  }
  bool append(const char* path, const char* text, std::uint32_t length) override {
    if (onAppend) onAppend(std::string(text, length));
    if (writable(path)) files[path].append(text, length);
    return writable(path);
  }
  bool rename(const char* from, const char* to) override {
    if (!writable(from) || renameFails == from || !files.contains(from) || files.contains(to)) {
      return false;
    }
    files[to] = std::move(files[from]);
    files.erase(from);
    return true;
  }
  bool remove(const char* path) override { return writable(path) && files.erase(path) == 1; }

  // The lines without the date and time ("2026-12-08 10:42:07 ") and line ends.
  std::vector<std::string> lines(const std::string& path = kProgramLog) {
    std::vector<std::string> out;
    std::istringstream text(files[path]);
    for (std::string line; std::getline(text, line);)
      out.push_back(line.substr(20, line.size() - 21));
    return out;
  }

  std::map<std::string, std::string> files;
  std::string unwritable;   // e.g. "C:\\FLINDOR\\"; "C:" for every path
  std::string renameFails;  // a file that cannot be renamed, as one open in a viewer
  std::function<void(const std::string& line)> onAppend;  // e.g. a disk that takes its time

 private:
  bool writable(const char* path) const {
    return unwritable.empty() || std::string(path).rfind(unwritable, 0) != 0;
  }
};

}  // namespace flindor::testing
