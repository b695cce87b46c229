#pragma once
// The phases of a run, from discovery to the end of the program, and what each one allows. The
// sequencer changes the phase in one place (download/phase_change.h), on the GUI thread; the rest
// of the program only asks the questions below, which depend on nothing else but the fields the
// download names (nextBlock) and whether the close question is open.

#include <cstdint>
#include <initializer_list>

namespace flindor {

enum class RunPhase : std::uint8_t {
  Discovering,         // the drive table is still being filled
  Idle,                // nothing confirmed: Open, About, Exit and the drive list work
  Confirming,          // the Download's checks and its questions (battery, ConfirmDialog)
  Confirmed,           // Yes given; block nextBlock (0) goes next
  Framing,             // block nextBlock is being read from the image and framed
  CautionOpen,         // pass-through: the caution before the final block is open
  BlockOut,            // block nextBlock (0 to 62) is with the back end
  FinalBlockOut,       // the final block is with the drive, which programs its flash
  Answered,            // the drive took block nextBlock - 1; the next step (the next block, or
                       // the completion once nextBlock is 64) is still to be taken
  Failed,              // a block failed before the drive programmed; the user is still to be told
  OutcomeUntold,       // the final block failed and the drive may be programming; the user is
                       // still to be told
  ProgrammingUnknown,  // the final block's outcome is unknown: the drive may still be programming
  Stopped,             // the run stopped at block nextBlock; a Download sends it again
  FinalFailed,         // the final block failed and the allowance has passed: nothing more goes
  Completing,          // the completion message and the reboot request
  Closing,             // the window closes: nothing more is sent, shown or chained
};

// The phases a question is answered yes in, as one bit each.
constexpr std::uint32_t phases(std::initializer_list<RunPhase> list) {
  std::uint32_t bits = 0;
  for (const RunPhase phase : list) bits |= 1u << static_cast<unsigned>(phase);
  return bits;
}
constexpr bool in(RunPhase phase, std::uint32_t bits) {
  return ((bits >> static_cast<unsigned>(phase)) & 1u) != 0;
}

// From framing a block until the run completes or stops, the system may not shut down or sleep.
constexpr bool holdsSession(RunPhase phase) {
  using enum RunPhase;
  return in(phase, phases({Framing, CautionOpen, BlockOut, FinalBlockOut, Answered, OutcomeUntold,
                           ProgrammingUnknown}));
}
constexpr bool systemMayStop(RunPhase phase) { return !holdsSession(phase); }

// A block is with the drive, or the drive may be programming its flash: closing asks first.
constexpr bool closeAsksFirst(RunPhase phase) {
  using enum RunPhase;
  return in(phase, phases({BlockOut, FinalBlockOut, OutcomeUntold, ProgrammingUnknown}));
}

// Whether a Download command may take the run's next step (confirm, send, complete), once no
// question is open.
constexpr bool downloadMayAct(RunPhase phase) {
  using enum RunPhase;
  return in(phase, phases({Idle, Confirmed, Stopped, Answered}));
}

// Whether the block being prepared may still go to the drive (nothing closed the window meanwhile).
constexpr bool blockMayGo(RunPhase phase) {
  using enum RunPhase;
  return in(phase, phases({Framing, CautionOpen}));
}

// The progress timer runs while the drive has the final block or may be programming, until the
// completion or the end of the wait.
constexpr bool progressRuns(RunPhase phase, std::uint8_t nextBlock) {
  using enum RunPhase;
  return in(phase, phases({FinalBlockOut, OutcomeUntold, ProgrammingUnknown})) ||
         (phase == Answered && nextBlock > 63);
}

// From the block that takes the drive to the run's end (completed, stopped at a block, or
// closing): the run holds the drive, and no other program may reach it.
constexpr bool holdsDrive(RunPhase phase) {
  using enum RunPhase;
  return in(phase, phases({Framing, CautionOpen, BlockOut, FinalBlockOut, Answered, Failed,
                           OutcomeUntold, ProgrammingUnknown}));
}

// While a run is under way, from the confirmation until it completes or stops, AutoPlay is
// cancelled (the main window answers QueryCancelAutoPlay with 1).
constexpr bool cancelsAutoPlay(RunPhase phase) {
  return phase == RunPhase::Confirmed || holdsDrive(phase);
}

// The drive list and Open may change the target and the image only while no run is under way:
// from the Download's checks to the end of the run both stay as they are.
constexpr bool targetAndImageMayChange(RunPhase phase) { return phase == RunPhase::Idle; }

// The phases in which a transport's answer is expected.
constexpr bool awaitsAnswer(RunPhase phase) {
  using enum RunPhase;
  return in(phase, phases({BlockOut, FinalBlockOut}));
}

}  // namespace flindor
