#include "tests/fakes/fake_log_files.h"

#include <cstring>
#include <sstream>

#include "platform/log_file.h"

namespace flindor::testing {
namespace {

std::string folderOf(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }

}  // namespace

bool FakeLogFiles::temporaryFolder(char* buffer, std::uint32_t capacity) {
  if (temporary.empty() || temporary.size() >= capacity) return false;
  std::memcpy(buffer, temporary.c_str(), temporary.size() + 1);
  return true;
}

bool FakeLogFiles::size(const char* path, std::uint32_t& bytes) {
  const auto it = files.find(path);
  if (it == files.end()) return false;
  bytes = static_cast<std::uint32_t>(it->second.size());
  return true;
}

bool FakeLogFiles::append(const char* path, const char* text, std::uint32_t length) {
  if (failing || readOnlyFolders.count(folderOf(path))) return false;
  files[path].append(text, length);
  return true;
}

bool FakeLogFiles::replace(const char* from, const char* to) {
  const auto it = files.find(from);
  if (failing || it == files.end() || readOnlyFolders.count(folderOf(from))) return false;
  files[to] = it->second;
  files.erase(from);
  return true;
}

std::vector<std::string> FakeLogFiles::lines(const std::string& path) const {
  std::vector<std::string> out;
  const auto it = files.find(path);
  if (it == files.end()) return out;
  std::istringstream text(it->second);
  constexpr std::size_t kDateAndTime = 20;  // "2026-12-08 10:42:07 "
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line.size() > kDateAndTime ? line.substr(kDateAndTime) : line);
  }
  return out;
}

}  // namespace flindor::testing
