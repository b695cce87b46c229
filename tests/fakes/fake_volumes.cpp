#include "tests/fakes/fake_volumes.h"

#include <cstring>

namespace flindor::testing {

ObjectHandle FakeVolumes::open(const char* devicePath, VolumeAccess access) {
  openedPaths.emplace_back(devicePath);
  openedWith.push_back(access);
  if (openFails) return kInvalidHandle;
  open_.insert(next_);
  return next_++;
}

bool FakeVolumes::passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                              std::uint32_t& bytesReturned, std::uint32_t& error) {
  error = 6;  // ERROR_INVALID_HANDLE
  if (!open_.count(volume)) return false;
  auto& r = *static_cast<PassThroughRequest*>(request);
  requests.push_back(r);
  sizes.push_back(size);
  if (onRequest) onRequest(r);
  r.record.ScsiStatus = scsiStatus;
  bytesReturned = callSucceeds ? size : 0;
  error = callSucceeds ? 0 : callError;
  return callSucceeds;
}

bool FakeVolumes::control(ObjectHandle volume, std::uint32_t code, const void*, std::uint32_t,
                          void*, std::uint32_t, std::uint32_t& error) {
  controls.push_back(code);
  error = open_.count(volume) ? controlError : 6;
  return error == 0;
}

void FakeVolumes::close(ObjectHandle volume) { open_.erase(volume); }

}  // namespace flindor::testing
