#include <algorithm>

#include "image/crc32.h"
#include "image/image_commands.h"
#include "image/image_layout.h"
#include "platform/scoped_handle.h"
#include "state/app_state.h"

namespace flindor {
namespace {

constexpr std::uint32_t kChunkBytes = 2048;
static_assert(kImageBlocks == kBlockCount);

}  // namespace

// The chunks start at multiples of 2048, none of them at a block's own offset, and cross block
// boundaries: each byte goes to its block's register and to the whole file's.
bool fingerprintImage(FileSystem& files, ObjectHandle file, ImageFingerprint& print) {
  std::uint8_t chunk[kChunkBytes];
  std::uint8_t block = 0;
  std::uint32_t reg = kCrcInitial;
  print.fileCrc = kCrcInitial;
  if (!files.setPosition(file, 0)) return false;
  for (std::uint32_t at = 0; at < kImageFileSize;) {
    const std::uint32_t want = std::min(kChunkBytes, kImageFileSize - at);
    std::uint32_t got = 0;
    if (!files.read(file, chunk, want, got) || got != want) return false;
    crcUpdate(chunk, got, print.fileCrc);
    for (std::uint32_t i = at < kImageHeaderBytes ? kImageHeaderBytes - at : 0; i < got;) {
      const std::uint32_t blockEnd = blockFileOffset(block) + blockDataBytes(block);
      const std::uint32_t length = std::min(got - i, blockEnd - (at + i));
      crcUpdate(chunk + i, length, reg);
      i += length;
      if (at + i == blockEnd) {
        print.blockCrc[block++] = reg;
        reg = kCrcInitial;
      }
    }
    at += got;
  }
  return block == kBlockCount;
}

ImageRecheck recheckImage() {
  FileSystem& files = *ports().files;
  ScopedHandle file(files, files.openForReading(appState.imagePath));
  if (!file.valid()) return ImageRecheck::NotOpened;
  // A longer file is sent as Open accepted it, its first 131080 bytes; a shorter one never.
  std::uint64_t size = 0;
  ImageFingerprint now{};
  if (!files.size(file.get(), size) || size < kImageFileSize ||
      !fingerprintImage(files, file.get(), now) || now != appState.frozenImage) {
    return ImageRecheck::Changed;
  }
  return ImageRecheck::Unchanged;
}

}  // namespace flindor
