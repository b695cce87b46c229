#include <algorithm>

#include "image/crc32.h"
#include "image/image_commands.h"
#include "image/image_layout.h"
#include "platform/scoped_handle.h"
#include "state/app_state.h"
#include "state/model_letters.h"

namespace flindor {
namespace {

constexpr std::uint32_t kChunkBytes = 2048;
static_assert(kChunkBytes <= sizeof(AppState::blockBuffer));
static_assert(kImageBlocks == kBlockCount);

// Reads the whole image once and keeps each block's CRC. The chunks start at multiples of 2048,
// none of them at a block's own offset, and cross block boundaries: each byte goes to its block.
bool freezeBlockCrcs(FileSystem& files, ObjectHandle file) {
  AppState& s = appState;
  std::uint8_t* chunk = s.blockBuffer;  // free: block 0 is not framed yet
  std::uint8_t block = 0;
  std::uint32_t reg = kCrcInitial;
  if (!files.setPosition(file, 0)) return false;
  for (std::uint32_t at = 0; at < kImageFileSize;) {
    const std::uint32_t want = std::min(kChunkBytes, kImageFileSize - at);
    std::uint32_t got = 0;
    if (!files.read(file, chunk, want, got) || got != want) return false;
    for (std::uint32_t i = at < kImageHeaderBytes ? kImageHeaderBytes - at : 0; i < got;) {
      const std::uint32_t blockEnd = blockFileOffset(block) + blockDataBytes(block);
      const std::uint32_t length = std::min(got - i, blockEnd - (at + i));
      crcUpdate(chunk + i, length, reg);
      i += length;
      if (at + i == blockEnd) {
        s.frozenBlockCrc[block++] = reg;
        reg = kCrcInitial;
      }
    }
    at += got;
  }
  return block == kBlockCount;
}

}  // namespace

ImageRecheck recheckImage() {
  FileSystem& files = *ports().files;
  ScopedHandle file(files, files.openForReading(appState.imagePath));
  if (!file.valid()) return ImageRecheck::NotOpened;
  // A longer file is sent as Open accepted it, its first 131080 bytes; a shorter one never.
  std::uint64_t size = 0;
  if (!files.size(file.get(), size) || size < kImageFileSize) return ImageRecheck::Changed;
  char letters[3] = {};
  std::uint32_t got = 0;
  if (!files.setPosition(file.get(), 0) || !files.read(file.get(), letters, 2, got) || got != 2 ||
      !hasSupportedModelLetters(letters)) {
    return ImageRecheck::Changed;
  }
  // Frozen once per accepted image: a resume at block 0 compares as every later block does.
  if (appState.imageFrozen == 0) {
    if (!freezeBlockCrcs(files, file.get())) return ImageRecheck::Changed;
    appState.imageFrozen = 1;
  }
  return ImageRecheck::Unchanged;
}

}  // namespace flindor
