#include <cstring>

#include "image/crc32.h"
#include "image/image_commands.h"
#include "image/image_layout.h"
#include "image/image_messages.h"
#include "platform/log_file.h"
#include "platform/scoped_handle.h"
#include "state/app_state.h"

namespace flindor {

// The final block's data and CRC, and the one byte behind them that framing clears.
static_assert(sizeof(AppState::blockBuffer) == kFinalBlockDataBytes + kBlockCrcBytes + 1);

bool loadBlock() {
  AppState& s = appState;
  const std::uint8_t block = s.nextBlock;
  if (block > kFinalBlock) return false;

  FileSystem& files = *ports().files;
  auto warn = [&](const char* text) {
    logLine("block %d not sent: %s", block, text);
    ports().ui->messageBox(s.controlPanel, text, image_text::kWarning, kIconWarning);
  };
  ScopedHandle file(files, files.openForReading(s.imagePath));
  if (!file.valid()) {
    warn(image_text::kFailToOpen);
    return false;
  }

  const std::uint32_t length = blockDataBytes(block);
  std::memset(s.blockBuffer, 0, length + kBlockCrcBytes + 1);
  std::uint32_t got = 0;
  // A short read means the file is no longer the whole image: sending zeros in place of the
  // missing bytes would flash a corrupt firmware, so it fails like a failed read.
  if (!files.setPosition(file.get(), blockFileOffset(block)) ||
      !files.read(file.get(), s.blockBuffer, length, got) || got != length) {
    warn(image_text::kFailToRead);
    return false;
  }

  std::uint32_t reg = kCrcInitial;
  crcUpdate(s.blockBuffer, length, reg);
  // The file changed since Open read it: a block of another file must never follow.
  if (reg != s.frozenImage.blockCrc[block]) {
    warn(image_text::kFailToRead);
    return false;
  }
  s.blockBuffer[length + 0] = static_cast<std::uint8_t>(reg >> 24);
  s.blockBuffer[length + 1] = static_cast<std::uint8_t>(reg >> 16);
  s.blockBuffer[length + 2] = static_cast<std::uint8_t>(reg >> 8);
  s.blockBuffer[length + 3] = static_cast<std::uint8_t>(reg);
  file.close();
  return true;
}

}  // namespace flindor
