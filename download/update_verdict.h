#pragma once
// After the restart: a record of an update (update_record.h) is checked against the drive it
// names, once discovery has filled the drive table, and the user is told whether the update
// took. Once per start, after the start-up's own messages.

#include <cstdint>

namespace flindor {

// Private command of the main window, posted when discovery has finished, so that the verdict
// comes from the message loop rather than from inside the discovery's own messages.
inline constexpr std::uint16_t kCommandUpdateVerdict = 17188;  // 0x4324

// Discovery has ended: with the window in place the verdict follows by the posted command;
// when discovery found no usable drive (and the window goes), it is given now.
void verdictAfterDiscovery();
// Reads the record and tells the user what became of the update it names.
void giveUpdateVerdict();

}  // namespace flindor
