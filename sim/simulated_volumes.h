#pragma once
// The NT storage stack over the simulated bus: volume devices of drive letters, opened by path,
// running IOCTL_SCSI_PASS_THROUGH_DIRECT synchronously, with the driver's checks of the request;
// and what else reaches a drive on a real system: the class driver's polling while media-change
// notification is on, another program's commands unless exclusive access is held, and the two
// controls that stop them (or refuse, as an older system does).

#include <map>
#include <set>

#include "platform/ports.h"
#include "sim/simulated_bus.h"

namespace flindor::sim {

class SimulatedVolumes : public VolumeDevices {
 public:
  explicit SimulatedVolumes(SimulatedBus& bus) : bus_(bus) {}

  // "\\.\X:", trailing blanks allowed as the platform allows them.
  ObjectHandle open(const char* devicePath, VolumeAccess access) override;
  bool passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                   std::uint32_t& bytesReturned, std::uint32_t& error) override;
  bool control(ObjectHandle volume, std::uint32_t code, const void* in, std::uint32_t inSize,
               void* out, std::uint32_t outSize, std::uint32_t& error) override;
  void close(ObjectHandle volume) override;

  // Every handle closed, as when the program that held them ends.
  void closeAll();

  int openHandles() const { return static_cast<int>(open_.size()); }
  int opens() const { return opens_; }              // handles opened for reading and writing, ever
  int strayCloses() const { return strayCloses_; }  // closes of handles not open

 private:
  struct Handle {
    char letter;
    VolumeAccess access;
  };
  // What the system keeps of a letter: who turned its media-change notification off, who holds
  // it for exclusive access, and when the class driver last polled it.
  struct Letter {
    std::set<ObjectHandle> pollingOff;
    ObjectHandle exclusiveOwner = kInvalidHandle;
    std::uint64_t lastPollMs = 0;
    bool otherProgramCame = false;
  };
  bool holderCame(char letter);
  bool heldByAnother(char letter, ObjectHandle volume);
  void pollIfDue(char letter, SimulatedDrive& drive);
  void otherProgram(char letter, SimulatedDrive& drive);
  bool exclusiveAccess(Handle handle, ObjectHandle volume, const void* in, std::uint32_t inSize,
                       void* out, std::uint32_t outSize, std::uint32_t& error);

  SimulatedBus& bus_;
  std::map<ObjectHandle, Handle> open_;
  std::map<char, Letter> letters_;
  ObjectHandle next_ = 0x500;
  int opens_ = 0;
  int strayCloses_ = 0;
};

}  // namespace flindor::sim
