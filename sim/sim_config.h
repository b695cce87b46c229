#pragma once
// The simulated bus as a small text file describes it, so the simulated wnaspi32.dll and the
// demo can be set up without code. One setting per line, "name value", the value running to
// the end of the line; lines starting with # are comments:
//
//   adapters 1                      host adapters GetASPI32SupportInfo reports (default 1)
//   programming-delay-ms 3000       how long the drive programs after the final block
//   transcript Z:\tmp\sim.log       one line per command, appended
//   flash-output Z:\tmp\flash.bin   the flashed data, written after the final block
//   state Z:\tmp\drive.state        where the drives keep their revisions from one run of the
//                                   program to the next, as across a restart of the PC
//   poll-ms 1000                    the system polls each drive this often (TEST UNIT READY) while
//                                   its media-change notification is on (0: before every command)
//   other-program-at-block 20       another program asks the drive for its INQUIRY as it is about
//                                   to get block 20, unless exclusive access is held
//   exclusive-holder NERO           another program holds the drives for exclusive access,
//                                   from the moment the program has found them
//   controls-refused 50             the system refuses both media-change notification and
//                                   exclusive access, with this error (as Wine or NT 4.0)
//   device                          starts a device; the lines below describe it
//   adapter 0                       reachable through ASPI at this adapter...
//   target 1                        ...and target (default 0)
//   letter E                        reachable as volume E: (and through SG_IO on the file
//                                   behind E: under Wine)
//   type 5                          peripheral device type byte (default 5, CD/DVD)
//   vendor ZIB                      INQUIRY texts, padded with blanks
//   product KMX4820T
//   revision DA12                   at power-on; after a programming, the version the firmware
//                                   names in its last four bytes, with the drive's model letter
//   programming takes               what a programming does to the revision: takes (at once),
//                                   after-power-cycle (not across a restart of the PC), fails
//   inquiry-bytes 10                of its INQUIRY data it sends at most this many, with GOOD
//                                   status (default 96, all of it)
//   strict yes                      any command but the next block, from the first block until
//                                   it has programmed its flash, ends the download
//   fault 10 check-condition [2]    a fault for block 10, the next 2 times (default once);
//                                   kinds: not-accepted, no-completion, aspi-error,
//                                   check-condition, ioctl-fails, ioctl-refused, time-out,
//                                   open-fails, drop-off, slow (through SG_IO under Wine, each
//                                   ioctl-refused takes the next errno of EINVAL, EACCES,
//                                   EBADF, ENOTTY, EISDIR: Windows errors 87, 5, 6, 50, 1)

#include <istream>
#include <string>

#include "sim/simulated_bus.h"

namespace flindor::sim {

// Adds what `text` describes to `bus`. False, with the line and its fault in `error`, when a
// line cannot be read; nothing of a device is added before its description is complete.
bool loadSimConfig(std::istream& text, SimulatedBus& bus, std::string& error);
bool loadSimConfigFile(const std::string& path, SimulatedBus& bus, std::string& error);

}  // namespace flindor::sim
