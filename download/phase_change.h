#pragma once
// The one place where the run's phase changes. What follows from the phase follows here too: the
// session hold against shutdown and sleep, and the progress timer, each started or stopped when
// the new phase asks for it and the old one did not. GUI thread only.

#include "state/run_phase.h"

namespace flindor {

// Once closing has begun the phase stays Closing, whatever arrives late.
void enterPhase(RunPhase next);

}  // namespace flindor
