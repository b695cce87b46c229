#pragma once
// Where the firmware image's header and blocks lie, and how a block is framed for the drive.

#include <cstdint>

namespace flindor {

inline constexpr std::uint32_t kImageFileSize = 131080;
inline constexpr std::uint32_t kImageHeaderBytes = 4;  // never sent to the drive
inline constexpr std::uint32_t kBlockDataBytes = 2048;
inline constexpr std::uint32_t kFinalBlockDataBytes = 2052;  // block 63 takes the file's tail
inline constexpr std::uint32_t kBlockCrcBytes = 4;
inline constexpr std::uint8_t kBlockCount = 64;
inline constexpr std::uint8_t kFinalBlock = 63;

constexpr std::uint32_t blockDataBytes(std::uint8_t block) {
  return block == kFinalBlock ? kFinalBlockDataBytes : kBlockDataBytes;
}
constexpr std::uint32_t blockFileOffset(std::uint8_t block) {
  return kImageHeaderBytes + kBlockDataBytes * block;
}
// Data and CRC as the DownloadCommand carries them: 2052, or 2056 for the final block.
constexpr std::uint32_t framedBlockBytes(std::uint8_t block) {
  return blockDataBytes(block) + kBlockCrcBytes;
}

static_assert(blockFileOffset(kFinalBlock) == 129028);
static_assert(blockFileOffset(kFinalBlock) + kFinalBlockDataBytes == kImageFileSize);
static_assert(framedBlockBytes(62) == 2052 && framedBlockBytes(kFinalBlock) == 2056);

}  // namespace flindor
