#include "tests/fakes/fake_system.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace flindor::testing {
namespace {

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

RegistryRead FakeSystem::readMachineValue(const char* subkey, const char* value, char* buffer,
                                          std::uint32_t& size, RegistryAccess access) {
  record(std::string("read ") + subkey + " " + value);
  std::lock_guard lock(mutex_);
  reads_.push_back(RegistryCall{subkey, value, size});
  auto key = keys_.find(lowerCase(subkey));
  if (key == keys_.end() || (access == RegistryAccess::AllAccess && !key->second.allAccess)) {
    return RegistryRead::KeyNotOpened;
  }
  auto found = key->second.values.find(lowerCase(value));
  if (found == key->second.values.end()) return RegistryRead::ValueNotRead;
  const std::string& bytes = found->second;
  const std::uint32_t capacity = size;
  size = static_cast<std::uint32_t>(bytes.size());
  if (bytes.size() > capacity) {
    // Too small a buffer: the registry reports the size needed and leaves the buffer undefined;
    // here it is scribbled over, so code that trusts it shows.
    std::memset(buffer, '#', capacity);
    return RegistryRead::ValueNotRead;
  }
  std::memcpy(buffer, bytes.data(), bytes.size());
  return RegistryRead::Read;
}

bool FakeSystem::openProcessToken(ObjectHandle& opened) {
  record("open token");
  if (tokenOpens) opened = token;
  return tokenOpens;
}

bool FakeSystem::lookupShutdownPrivilege(std::uint64_t& luid) {
  record("lookup shutdown privilege");
  if (privilegeFound) luid = shutdownLuid;
  return privilegeFound;
}

bool FakeSystem::enablePrivilege(ObjectHandle handle, std::uint64_t luid) {
  record("enable privilege " + std::to_string(handle) + " " + std::to_string(luid));
  return privilegeEnabled;
}

std::uint32_t FakeSystem::lastError() {
  record("last error");
  return lastErrorValue;
}

void FakeSystem::closeHandle(ObjectHandle handle) { record("close " + std::to_string(handle)); }

bool FakeSystem::exitWindows(std::uint32_t flags, std::uint32_t reserved) {
  record("exit windows " + std::to_string(flags) + " " + std::to_string(reserved));
  return exitWindowsSucceeds;
}

bool FakeSystem::writeMachineValue(const char* subkey, const char* name, const char* text) {
  if (!registryWritable || refusedValues.count(lowerCase(name)) != 0) return false;
  setValue(subkey, name, std::string(text) + '\0');
  return true;
}

bool FakeSystem::deleteMachineKey(const char* subkey) {
  std::lock_guard lock(mutex_);
  return registryWritable && !deleteFails && keys_.erase(lowerCase(subkey)) == 1;
}

std::string FakeSystem::value(const std::string& subkey, const std::string& name) const {
  std::lock_guard lock(mutex_);
  const auto key = keys_.find(lowerCase(subkey));
  if (key == keys_.end() || !key->second.values.count(lowerCase(name))) return "";
  return key->second.values.at(lowerCase(name));
}

void FakeSystem::setValue(const std::string& subkey, const std::string& name,
                          const std::string& bytes) {
  std::lock_guard lock(mutex_);
  keys_[lowerCase(subkey)].values[lowerCase(name)] = bytes;
}

void FakeSystem::addKey(const std::string& subkey) {
  std::lock_guard lock(mutex_);
  keys_[lowerCase(subkey)];
}

void FakeSystem::deleteValue(const std::string& subkey, const std::string& name) {
  std::lock_guard lock(mutex_);
  keys_[lowerCase(subkey)].values.erase(lowerCase(name));
}

void FakeSystem::denyAllAccess(const std::string& subkey) {
  std::lock_guard lock(mutex_);
  keys_[lowerCase(subkey)].allAccess = false;
}

std::vector<FakeSystem::RegistryCall> FakeSystem::registryReads() const {
  std::lock_guard lock(mutex_);
  return reads_;
}

std::vector<std::string> FakeSystem::log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

void FakeSystem::clearLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

int FakeSystem::count(const std::string& line) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::count(log_.begin(), log_.end(), line));
}

void FakeSystem::record(std::string line) {
  std::lock_guard lock(mutex_);
  log_.push_back(std::move(line));
}

}  // namespace flindor::testing
