#pragma once
// Recording volume devices: the paths opened, the handles still open, a copy of every
// pass-through request as it was made, and the answers chosen by the test.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/ports.h"
#include "scsi/pass_through_request.h"

namespace flindor::testing {

class FakeVolumes : public VolumeDevices {
 public:
  ObjectHandle open(const char* devicePath, VolumeAccess access) override;
  bool passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                   std::uint32_t& bytesReturned, std::uint32_t& error) override;
  bool control(ObjectHandle volume, std::uint32_t code, const void* in, std::uint32_t inSize,
               void* out, std::uint32_t outSize, std::uint32_t& error) override;
  void close(ObjectHandle volume) override;

  bool openFails = false;
  bool callSucceeds = true;                            // DeviceIoControl's result
  std::uint32_t callError = 1117;                      // its error when it fails
  std::uint8_t scsiStatus = 0;                         // written into ScsiStatus
  std::function<void(PassThroughRequest&)> onRequest;  // e.g. writes INQUIRY data

  std::uint32_t controlError = 50;  // what the controls answer: ERROR_NOT_SUPPORTED, as Wine
  std::vector<std::string> openedPaths;
  std::vector<VolumeAccess> openedWith;
  std::vector<std::uint32_t> controls;       // the codes asked, in order
  std::vector<PassThroughRequest> requests;  // as made, before the answer
  std::vector<std::uint32_t> sizes;          // the size passed with each
  int openHandles() const { return static_cast<int>(open_.size()); }

 private:
  std::set<ObjectHandle> open_;
  ObjectHandle next_ = 0x700;
};

}  // namespace flindor::testing
