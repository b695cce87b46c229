#pragma once
// The System port in memory: a registry under HKEY_LOCAL_MACHINE, and the token, privilege and
// reboot calls with configurable results. Every call is recorded, one line each, in order.

#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace flindor::testing {

class FakeSystem : public System {
 public:
  RegistryRead readMachineValue(const char* subkey, const char* value, char* buffer,
                                std::uint32_t& size, RegistryAccess access) override;
  bool openProcessToken(ObjectHandle& token) override;
  bool lookupShutdownPrivilege(std::uint64_t& luid) override;
  bool enablePrivilege(ObjectHandle token, std::uint64_t luid) override;
  std::uint32_t lastError() override;
  void closeHandle(ObjectHandle handle) override;
  bool exitWindows(std::uint32_t flags, std::uint32_t reserved) override;
  bool writeMachineValue(const char* subkey, const char* value, const char* text) override;
  bool deleteMachineKey(const char* subkey) override;
  bool programPath(char* buffer, std::uint32_t capacity) override {
    return capacity > 22 && std::strcpy(buffer, "C:\\FLINDOR\\flindor.exe");
  }
  PowerSource powerSource() override { return power; }

  // The registry. Key and value names compare without regard to case, as Windows compares them.
  // A value is stored as its bytes: a terminating zero is there only if the text includes it.
  void setValue(const std::string& subkey, const std::string& name, const std::string& bytes);
  void deleteValue(const std::string& subkey, const std::string& name);
  void addKey(const std::string& subkey);
  // The key exists but is not granted with all-access rights (e.g. without elevation); it can
  // still be read.
  void denyAllAccess(const std::string& subkey);
  // Writes of these value names fail, under any key (lower case).
  std::set<std::string> refusedValues;
  bool deleteFails = false;  // deleting a key fails
  // A value's bytes; "" when absent.
  std::string value(const std::string& subkey, const std::string& name) const;
  bool registryWritable = true;  // false: every write and delete fails

  struct RegistryCall {
    std::string subkey;
    std::string value;
    std::uint32_t capacity;
    friend bool operator==(const RegistryCall&, const RegistryCall&) = default;
  };
  std::vector<RegistryCall> registryReads() const;

  // What the token, privilege and reboot calls answer.
  bool tokenOpens = true;
  ObjectHandle token = 0x70;
  bool privilegeFound = true;
  std::uint64_t shutdownLuid = 0x13;
  bool privilegeEnabled = true;
  std::uint32_t lastErrorValue = 0;  // e.g. 1300, ERROR_NOT_ALL_ASSIGNED, after a success
  bool exitWindowsSucceeds = true;
  PowerSource power = PowerSource::Unknown;

  // Every call, one line each: "open token", "lookup shutdown privilege",
  // "enable privilege 112 19", "last error", "close 112", "exit windows 6 0", "read <key> <value>".
  std::vector<std::string> log() const;
  void clearLog();
  int count(const std::string& line) const;  // calls logged exactly as `line`

 private:
  struct Key {
    bool allAccess = true;
    std::map<std::string, std::string> values;
  };
  void record(std::string line);

  mutable std::mutex mutex_;
  std::map<std::string, Key> keys_;  // by lower-case name
  std::vector<RegistryCall> reads_;
  std::vector<std::string> log_;
};

}  // namespace flindor::testing
