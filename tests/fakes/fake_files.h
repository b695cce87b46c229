#pragma once
// In-memory files behind the FileSystem port, with the faults a real disk can show.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace flindor::testing {

class FakeFiles : public FileSystem {
 public:
  struct File {
    std::vector<std::uint8_t> bytes;
    std::optional<std::uint64_t> reportedSize;  // e.g. a file larger than memory allows
    bool readFails = false;
  };

  ObjectHandle openForReading(const char* path) override;
  bool size(ObjectHandle file, std::uint64_t& bytes) override;
  bool setPosition(ObjectHandle file, std::uint32_t offset) override;
  bool read(ObjectHandle file, void* buffer, std::uint32_t length,
            std::uint32_t& bytesRead) override;
  void close(ObjectHandle file) override;

  File& add(const std::string& path, std::vector<std::uint8_t> bytes);
  void remove(const std::string& path) { files_.erase(path); }
  void lock(const std::string& path) { locked_.insert(path); }  // held by another program
  void unlock(const std::string& path) { locked_.erase(path); }
  void addDirectory(const std::string& path) { directories_.insert(path); }

  int openHandles() const { return static_cast<int>(open_.size()); }

  // A one-off fault of an open (position unused) or of a read at a position, as a test decides.
  enum class Injected { None, Fails, Short };
  std::function<Injected(bool isOpen, std::uint64_t position)> inject;
  int opens() const { return opens_; }
  std::vector<std::string> openedPaths;

 private:
  struct Open {
    std::string path;
    std::uint64_t position = 0;
  };
  std::map<std::string, File> files_;
  std::set<std::string> locked_;
  std::set<std::string> directories_;
  std::map<ObjectHandle, Open> open_;
  ObjectHandle next_ = 100;
  int opens_ = 0;
};

// A firmware image of `size` bytes whose header is `header` and whose every other byte is a
// pattern of its offset, so a test can tell where each byte came from.
std::vector<std::uint8_t> patternedImage(const char* header = "DA13", std::size_t size = 131080);
std::uint8_t patternByte(std::size_t offset);

}  // namespace flindor::testing
