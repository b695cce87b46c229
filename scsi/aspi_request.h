#pragma once
// The ASPI for Win32 codes the program puts into and reads from its requests, and the heap
// blocks the requests live in. The record itself is in aspi_srb.h.

#include <cstddef>
#include <cstdint>

#include "scsi/aspi_srb.h"

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

// Heap blocks of one request: the record is zero-filled up to kAspiRecordClearedBytes.
inline constexpr std::size_t kAspiInquiryRecordBytes = 256;
inline constexpr std::size_t kAspiDownloadRecordBytes = 8448;
inline constexpr std::size_t kAspiRecordClearedBytes = 256;
static_assert(sizeof(SrbExecScsiCmd) <= kAspiRecordClearedBytes);

}  // namespace flindor
