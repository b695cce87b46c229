#pragma once
// Which SCSI back end this Windows offers, told by where the registry keeps "ProductName".

#include <cstdint>

#include "state/platform_kind.h"

namespace flindor {

// A product name under the Windows key means ASPI; one only under the Windows NT key means
// pass-through; none means ASPI. The name read is kept in appState.productName. Called once, at
// start-up, through the System port.
std::uint8_t detectPlatform();

}  // namespace flindor
