#pragma once
// After the restart: a record of an update (update_record.h) is checked against the drive it
// names, once discovery has filled the drive table, and the user is told whether the update
// took. Once per start, after the start-up's own messages.

#include <cstdint>

namespace flindor {

// Private command of the main window, posted when discovery has finished, so that the verdict
// comes from the message loop rather than from inside the discovery's own messages.
inline constexpr std::uint16_t kCommandUpdateVerdict = 17188;  // 0x4324

// Discovery has listed the drives: the verdict follows by the posted command.
void verdictAfterDiscovery();
// Reads the record and tells the user what became of the update it names. Where discovery finds
// no usable drive, called right after its message, before the run's end is requested: a message
// box shown after the quit request would close at once.
void giveUpdateVerdict();

}  // namespace flindor
