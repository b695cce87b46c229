#pragma once
// The ASPI manager's behaviour over the simulated bus, without its thread: submit() is the
// synchronous part of SendASPI32Command; finish() and post() are what the manager's own thread
// does later. Whoever hosts it (the simulated wnaspi32.dll, the tests) supplies that thread and
// keeps submit() and finish() from running at once; post() runs unguarded, since the post
// routine may submit the next request.

#include <cstdint>

#include "scsi/aspi_srb.h"
#include "sim/simulated_bus.h"

namespace flindor::sim {

class AspiManagerModel {
 public:
  explicit AspiManagerModel(SimulatedBus& bus) : bus_(bus) {}

  // GetASPI32SupportInfo: SS_COMP and the adapter count, or SS_NO_ADAPTERS.
  std::uint32_t supportInfo() const;
  // SS_PENDING when the request is taken, to be finished by finish(); any other value when
  // it is refused, and then finish() must not be called for it.
  std::uint32_t submit(SrbExecScsiCmd* request);
  // Runs a taken request on the bus and sets its final status. True when it is to be posted
  // now; false when a no-completion fault keeps it for ever.
  bool finish(SrbExecScsiCmd* request);
  // Calls the request's post routine, if it asked for posting. The request may be gone after.
  static void post(SrbExecScsiCmd* request);

 private:
  SimulatedBus& bus_;
};

}  // namespace flindor::sim
