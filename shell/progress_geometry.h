#pragma once
// Where the control panel draws its strip: the product name, or the progress bar while the drive
// writes the last block into its flash. Pixels of the panel's client area.

#include <cstdint>

#include "platform/ports.h"

namespace flindor {

inline constexpr PixelRect kProgressStrip{35, 131, 341, 148};
inline constexpr int kProgressStepPixels = 9;
inline constexpr std::uint32_t kFrameGrey = 0x828282;     // RGB(130, 130, 130): top and left
inline constexpr std::uint32_t kFrameWhite = 0xFFFFFF;    // bottom and right
inline constexpr std::uint32_t kProgressFill = 0x942E06;  // RGB(6, 46, 148)

// The filled rectangle for `step` (GDI Rectangle: right and bottom edges excluded).
constexpr PixelRect progressFill(int step) {
  return {kProgressStrip.left, kProgressStrip.top + 1,
          kProgressStrip.left + kProgressStepPixels * step, kProgressStrip.bottom};
}
// What a tick invalidates: one row higher than the fill, so the frame's top line is redrawn.
constexpr PixelRect progressInvalidArea(int step) {
  return {kProgressStrip.left, kProgressStrip.top, kProgressStrip.left + kProgressStepPixels * step,
          kProgressStrip.bottom};
}

static_assert(progressFill(34).right == kProgressStrip.right);

}  // namespace flindor
