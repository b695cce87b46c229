#pragma once
// The NT storage stack over the simulated bus: volume devices of drive letters, opened by path,
// running IOCTL_SCSI_PASS_THROUGH_DIRECT synchronously, with the driver's checks of the request.

#include <map>

#include "platform/ports.h"
#include "sim/simulated_bus.h"

namespace flindor::sim {

class SimulatedVolumes : public VolumeDevices {
 public:
  explicit SimulatedVolumes(SimulatedBus& bus) : bus_(bus) {}

  // "\\.\X:", trailing blanks allowed as the platform allows them.
  ObjectHandle open(const char* devicePath) override;
  bool passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                   std::uint32_t& bytesReturned, std::uint32_t& error) override;
  void close(ObjectHandle volume) override;

  int openHandles() const { return static_cast<int>(open_.size()); }

 private:
  SimulatedBus& bus_;
  std::map<ObjectHandle, char> open_;
  ObjectHandle next_ = 0x500;
};

}  // namespace flindor::sim
