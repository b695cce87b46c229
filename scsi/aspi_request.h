#pragma once
// The ASPI for Win32 request record for SC_EXEC_SCSI_CMD, laid out byte for byte as the ASPI
// manager reads it, and the ASPI codes the program and the simulated manager use. Field names
// are ASPI's own.

#include <cstddef>
#include <cstdint>

namespace flindor {

// SRB_Cmd values.
inline constexpr std::uint8_t SC_EXEC_SCSI_CMD = 0x02;

// SRB_Status values, and what SendASPI32Command and GetASPI32SupportInfo return.
inline constexpr std::uint8_t SS_PENDING = 0x00;
inline constexpr std::uint8_t SS_COMP = 0x01;
inline constexpr std::uint8_t SS_ABORTED = 0x02;
inline constexpr std::uint8_t SS_ERR = 0x04;
inline constexpr std::uint8_t SS_INVALID_HA = 0x81;
inline constexpr std::uint8_t SS_INVALID_SRB = 0xE0;
inline constexpr std::uint8_t SS_FAILED_INIT = 0xE4;
inline constexpr std::uint8_t SS_ASPI_IS_BUSY = 0xE5;
inline constexpr std::uint8_t SS_NO_ADAPTERS = 0xE8;

// SRB_HaStat values.
inline constexpr std::uint8_t HASTAT_TIMEOUT = 0x09;
inline constexpr std::uint8_t HASTAT_SEL_TO = 0x11;  // no device answered the selection

// SRB_Flags bits.
inline constexpr std::uint8_t SRB_POSTING = 0x01;
inline constexpr std::uint8_t SRB_DIR_IN = 0x08;
inline constexpr std::uint8_t SRB_DIR_OUT = 0x10;

inline constexpr std::size_t SENSE_LEN = 14;

struct SrbExecScsiCmd;
// The post routine the manager calls with the finished request (cdecl on i686).
using AspiPostProc = void (*)(SrbExecScsiCmd*);

#pragma pack(push, 1)
struct SrbExecScsiCmd {
  std::uint8_t SRB_Cmd;
  std::uint8_t SRB_Status;
  std::uint8_t SRB_HaId;
  std::uint8_t SRB_Flags;
  std::uint32_t SRB_Hdr_Rsvd;
  std::uint8_t SRB_Target;
  std::uint8_t SRB_Lun;
  std::uint16_t SRB_Rsvd1;
  std::uint32_t SRB_BufLen;
  std::uint8_t* SRB_BufPointer;
  std::uint8_t SRB_SenseLen;
  std::uint8_t SRB_CDBLen;
  std::uint8_t SRB_HaStat;
  std::uint8_t SRB_TargStat;
  AspiPostProc SRB_PostProc;
  std::uint8_t SRB_Rsvd2[20];
  std::uint8_t CDBByte[16];
  std::uint8_t SenseArea[SENSE_LEN + 2];
};
#pragma pack(pop)

// The manager reads this record by offset, so the 32-bit layout is pinned here.
#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(SrbExecScsiCmd) == 80);
static_assert(offsetof(SrbExecScsiCmd, SRB_Cmd) == 0);
static_assert(offsetof(SrbExecScsiCmd, SRB_Status) == 1);
static_assert(offsetof(SrbExecScsiCmd, SRB_HaId) == 2);
static_assert(offsetof(SrbExecScsiCmd, SRB_Flags) == 3);
static_assert(offsetof(SrbExecScsiCmd, SRB_Target) == 8);
static_assert(offsetof(SrbExecScsiCmd, SRB_Lun) == 9);
static_assert(offsetof(SrbExecScsiCmd, SRB_BufLen) == 12);
static_assert(offsetof(SrbExecScsiCmd, SRB_BufPointer) == 16);
static_assert(offsetof(SrbExecScsiCmd, SRB_SenseLen) == 20);
static_assert(offsetof(SrbExecScsiCmd, SRB_CDBLen) == 21);
static_assert(offsetof(SrbExecScsiCmd, SRB_PostProc) == 24);
static_assert(offsetof(SrbExecScsiCmd, CDBByte) == 48);
static_assert(offsetof(SrbExecScsiCmd, SenseArea) == 64);
#else
// The 64-bit build (the simulated manager of that width reads it too): 8-byte pointers, packed.
static_assert(sizeof(SrbExecScsiCmd) == 88);
static_assert(offsetof(SrbExecScsiCmd, SRB_Target) == 8);
static_assert(offsetof(SrbExecScsiCmd, SRB_BufLen) == 12);
static_assert(offsetof(SrbExecScsiCmd, SRB_BufPointer) == 16);
static_assert(offsetof(SrbExecScsiCmd, SRB_SenseLen) == 24);
static_assert(offsetof(SrbExecScsiCmd, SRB_CDBLen) == 25);
static_assert(offsetof(SrbExecScsiCmd, SRB_PostProc) == 28);
static_assert(offsetof(SrbExecScsiCmd, CDBByte) == 56);
static_assert(offsetof(SrbExecScsiCmd, SenseArea) == 72);
#endif

// Heap blocks of one request: the record is zero-filled up to kAspiRecordClearedBytes.
inline constexpr std::size_t kAspiInquiryRecordBytes = 256;
inline constexpr std::size_t kAspiDownloadRecordBytes = 8448;
inline constexpr std::size_t kAspiRecordClearedBytes = 256;
static_assert(sizeof(SrbExecScsiCmd) <= kAspiRecordClearedBytes);

}  // namespace flindor
