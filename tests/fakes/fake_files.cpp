#include "tests/fakes/fake_files.h"

#include <algorithm>
#include <cstring>

namespace flindor::testing {

ObjectHandle FakeFiles::openForReading(const char* path) {
  openedPaths.emplace_back(path);
  if (inject && inject(true, 0) == Injected::Fails) return kInvalidHandle;
  if (locked_.count(path) || directories_.count(path) || !files_.count(path)) {
    return kInvalidHandle;
  }
  // Opened without sharing: a second open while one is held fails, as on Windows.
  for (const auto& [handle, open] : open_) {
    if (open.path == path) return kInvalidHandle;
  }
  ++opens_;
  const ObjectHandle handle = next_++;
  open_[handle] = Open{path};
  return handle;
}

bool FakeFiles::size(ObjectHandle file, std::uint64_t& bytes) {
  auto it = open_.find(file);
  if (it == open_.end() || !files_.count(it->second.path)) return false;
  const File& f = files_.at(it->second.path);
  bytes = f.reportedSize.value_or(f.bytes.size());
  return true;
}

bool FakeFiles::setPosition(ObjectHandle file, std::uint32_t offset) {
  auto it = open_.find(file);
  if (it == open_.end()) return false;
  it->second.position = offset;
  return true;
}

bool FakeFiles::read(ObjectHandle file, void* buffer, std::uint32_t length,
                     std::uint32_t& bytesRead) {
  bytesRead = 0;
  auto it = open_.find(file);
  if (it == open_.end() || !files_.count(it->second.path)) return false;
  const File& f = files_.at(it->second.path);
  if (f.readFails) return false;
  const std::uint64_t pos = it->second.position;
  const Injected fault = inject ? inject(false, pos) : Injected::None;
  if (fault == Injected::Fails) return false;
  if (fault == Injected::Short && length > 0) --length;
  if (pos < f.bytes.size()) {
    bytesRead = static_cast<std::uint32_t>(std::min<std::uint64_t>(length, f.bytes.size() - pos));
    std::memcpy(buffer, f.bytes.data() + pos, bytesRead);
  }
  it->second.position += bytesRead;
  return true;
}

void FakeFiles::close(ObjectHandle file) { open_.erase(file); }

FakeFiles::File& FakeFiles::add(const std::string& path, std::vector<std::uint8_t> bytes) {
  File& f = files_[path];
  f = File{};
  f.bytes = std::move(bytes);
  return f;
}

std::uint8_t patternByte(std::size_t offset) {
  return static_cast<std::uint8_t>((offset * 7 + (offset >> 8) * 13 + (offset >> 16)) & 0xFF);
}

std::vector<std::uint8_t> patternedImage(const char* header, std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = patternByte(i);
  for (std::size_t i = 0; i < 4 && header[i] != '\0' && i < size; ++i) {
    bytes[i] = static_cast<std::uint8_t>(header[i]);
  }
  return bytes;
}

}  // namespace flindor::testing
