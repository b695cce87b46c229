#pragma once
// The numbers the outside world fixes, as its public documentation gives them: ASPI for Win32,
// SCSI (status, sense, INQUIRY), the NT storage stack's pass-through, and the ZIB drive's own
// download command. The simulator speaks only these and never includes the program's
// definitions of them: a test double that shares the program's numbers cannot catch a wrong one.
// The record layouts (the SRB, SCSI_PASS_THROUGH_DIRECT) are shared; the platform's headers fix
// those, and the Windows builds check them there.

#include <array>
#include <cstddef>
#include <cstdint>

namespace flindor::sim {

namespace aspi {  // wnaspi32.h
inline constexpr std::uint8_t SC_EXEC_SCSI_CMD = 0x02;
// SRB_Status, and what SendASPI32Command and GetASPI32SupportInfo return.
inline constexpr std::uint8_t SS_PENDING = 0x00;
inline constexpr std::uint8_t SS_COMP = 0x01;
inline constexpr std::uint8_t SS_ABORTED = 0x02;
inline constexpr std::uint8_t SS_ERR = 0x04;
inline constexpr std::uint8_t SS_INVALID_HA = 0x81;
inline constexpr std::uint8_t SS_INVALID_SRB = 0xE0;
inline constexpr std::uint8_t SS_FAILED_INIT = 0xE4;
inline constexpr std::uint8_t SS_ASPI_IS_BUSY = 0xE5;
inline constexpr std::uint8_t SS_NO_ADAPTERS = 0xE8;
// SRB_HaStat.
inline constexpr std::uint8_t HASTAT_TIMEOUT = 0x09;
inline constexpr std::uint8_t HASTAT_SEL_TO = 0x11;
// SRB_Flags.
inline constexpr std::uint8_t SRB_POSTING = 0x01;
inline constexpr std::uint8_t SRB_DIR_IN = 0x08;
inline constexpr std::uint8_t SRB_DIR_OUT = 0x10;
}  // namespace aspi

namespace scsi {  // SCSI Primary Commands
inline constexpr std::uint8_t kStatusGood = 0x00;
inline constexpr std::uint8_t kStatusCheckCondition = 0x02;
// Fixed-format sense data: response code, and where the key, length and code lie.
inline constexpr std::uint8_t kSenseCurrentFixed = 0x70;
inline constexpr std::size_t kSenseKeyByte = 2;
inline constexpr std::size_t kSenseAdditionalLengthByte = 7;
inline constexpr std::size_t kSenseCodeByte = 12;
inline constexpr std::uint8_t kMediumError = 0x03;  // sense keys
inline constexpr std::uint8_t kIllegalRequest = 0x05;
inline constexpr std::uint8_t kWriteError = 0x0C;  // additional sense codes
inline constexpr std::uint8_t kParameterListLengthError = 0x1A;
inline constexpr std::uint8_t kInvalidOpcode = 0x20;
inline constexpr std::uint8_t kInvalidFieldInCdb = 0x24;
inline constexpr std::uint8_t kInvalidFieldInParameterList = 0x26;
inline constexpr std::uint8_t kCommandSequenceError = 0x2C;
// INQUIRY: a 6-byte CDB with EVPD in byte 1, the page in byte 2, the allocation length in byte 4.
inline constexpr std::uint8_t kInquiry = 0x12;
inline constexpr std::uint8_t kTestUnitReady = 0x00;
inline constexpr std::size_t kInquiryCdbBytes = 6;
inline constexpr std::size_t kInquiryEvpdByte = 1;
inline constexpr std::size_t kInquiryPageByte = 2;
inline constexpr std::size_t kInquiryAllocationByte = 4;
// Standard INQUIRY data.
inline constexpr std::size_t kPeripheralByte = 0;
inline constexpr std::uint8_t kCdDvdDevice = 0x05;
inline constexpr std::size_t kVendorOffset = 8;     // 8 characters
inline constexpr std::size_t kProductOffset = 16;   // 16
inline constexpr std::size_t kRevisionOffset = 32;  // 4
}  // namespace scsi

namespace nt {  // ntddscsi.h, and winerror.h for what a failed call reports
inline constexpr std::uint32_t kIoctlScsiPassThroughDirect = 0x4D014;
inline constexpr std::uint8_t kDataOut = 0;  // SCSI_IOCTL_DATA_OUT
inline constexpr std::uint8_t kDataIn = 1;   // SCSI_IOCTL_DATA_IN
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
// ntddstor.h and ntddcdrm.h: media-change notification, and exclusive access to a CD-ROM drive
// (the lock's request type at 0, its caller's name at 8; the state's lock flag at 0, the name
// at 1).
inline constexpr std::uint32_t kIoctlStorageMcnControl = 0x002D0944;
inline constexpr std::uint32_t kIoctlCdromExclusiveAccess = 0x0002C05C;
inline constexpr std::uint32_t kExclusiveQueryState = 0;
inline constexpr std::uint32_t kExclusiveLockDevice = 1;
inline constexpr std::uint32_t kExclusiveUnlockDevice = 2;
inline constexpr std::size_t kExclusiveLockBytes = 72;
inline constexpr std::size_t kExclusiveStateBytes = 65;
inline constexpr std::size_t kExclusiveCallerBytes = 64;
inline constexpr std::uint32_t kErrorSemTimeout = 121;  // the drive did not answer in time
inline constexpr std::uint32_t kErrorIoDevice = 1117;   // the answer was lost on the bus
inline constexpr std::uint32_t kErrorNotConnected = 1167;
}  // namespace nt

namespace zib {  // the drive's download command and the blocks it takes
inline constexpr std::uint8_t kDownload = 0xFE;
inline constexpr std::size_t kCdbBytes = 12;
inline constexpr std::size_t kBlockByte = 2;
struct FixedByte {
  std::size_t index;
  std::uint8_t value;
};
inline constexpr std::array<FixedByte, 3> kFixedBytes{{{1, 0x11}, {6, 0x96}, {8, 0x02}}};
inline constexpr std::uint8_t kFinalBlock = 63;
inline constexpr std::uint32_t kBlockDataBytes = 2048;  // blocks 0 to 62
inline constexpr std::uint32_t kFinalBlockDataBytes = 2052;
inline constexpr std::uint32_t kCrcBytes = 4;  // after the data, big-endian
inline constexpr std::uint32_t kFlashBytes = kFinalBlock * kBlockDataBytes + kFinalBlockDataBytes;
}  // namespace zib

}  // namespace flindor::sim
