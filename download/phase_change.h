#pragma once
// The one place where the run's phase changes. What follows from the phase follows here too: the
// session hold against shutdown and sleep, the progress timer, and the back end's hold on the
// drive, each taken or given back when the new phase asks for it and the old one did not. GUI
// thread only.

#include "state/run_phase.h"

namespace flindor {

// Once closing has begun the phase stays Closing, whatever arrives late.
void enterPhase(RunPhase next);

}  // namespace flindor
