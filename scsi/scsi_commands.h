#pragma once
// The two SCSI commands the program sends, byte for byte, shared by both transports and by the
// simulated drive that checks them.

#include <array>
#include <cstddef>
#include <cstdint>

namespace flindor {

// Both commands travel as 12-byte CDBs; every byte not set below is 0.
inline constexpr std::size_t kCdbBytes = 12;
using Cdb = std::array<std::uint8_t, kCdbBytes>;

// SCSI status bytes as the drive ends a command.
inline constexpr std::uint8_t kScsiStatusGood = 0x00;
inline constexpr std::uint8_t kScsiStatusCheckCondition = 0x02;

// INQUIRY, standard data (no EVPD, page 0).
inline constexpr std::uint8_t kInquiryOpcode = 0x12;
inline constexpr std::size_t kInquiryAllocationByte = 4;
inline constexpr std::uint8_t kAspiInquiryLength = 36;         // the ASPI answer buffer
inline constexpr std::uint8_t kPassThroughInquiryLength = 96;  // answered into blockBuffer
// Where the identification and revision lie in the answer.
inline constexpr std::size_t kInquiryPeripheralByte = 0;
inline constexpr std::size_t kInquiryVendorOffset = 8;
inline constexpr std::size_t kInquiryProductOffset = 16;
inline constexpr std::size_t kInquiryRevisionOffset = 32;
// An answer shorter than this lacks part of the vendor, product or revision.
inline constexpr std::size_t kInquiryIdentityBytes = 36;
static_assert(kInquiryRevisionOffset + 4 == kInquiryIdentityBytes);

constexpr Cdb inquiryCdb(std::uint8_t allocationLength) {
  Cdb cdb{};
  cdb[0] = kInquiryOpcode;
  cdb[kInquiryAllocationByte] = allocationLength;
  return cdb;
}

// The drive's vendor-specific command that carries one framed firmware block.
inline constexpr std::uint8_t kDownloadOpcode = 0xFE;
inline constexpr std::size_t kDownloadBlockByte = 2;

struct FixedCdbByte {
  std::size_t index;
  std::uint8_t value;
};
// The bytes the drive requires besides the opcode and the block number.
inline constexpr std::array<FixedCdbByte, 3> kDownloadFixedBytes{{{1, 0x11}, {6, 0x96}, {8, 0x02}}};

constexpr Cdb downloadCdb(std::uint8_t block) {
  Cdb cdb{};
  cdb[0] = kDownloadOpcode;
  for (const FixedCdbByte& fixed : kDownloadFixedBytes) cdb[fixed.index] = fixed.value;
  cdb[kDownloadBlockByte] = block;
  return cdb;
}

static_assert(inquiryCdb(36) == Cdb{0x12, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0});
static_assert(downloadCdb(63) == Cdb{0xFE, 0x11, 63, 0, 0, 0, 0x96, 0, 0x02, 0, 0, 0});

}  // namespace flindor
