#pragma once
// The ASPI for Win32 request record for SC_EXEC_SCSI_CMD, laid out byte for byte as the ASPI
// manager reads it. Field names are ASPI's own. Only the layout is here, shared with the
// simulated manager; the codes that go into it are not (aspi_request.h has the program's).

#include <cstddef>
#include <cstdint>

namespace flindor {

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

}  // namespace flindor
