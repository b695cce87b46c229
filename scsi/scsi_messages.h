#pragma once
// The texts the transports show, byte for byte; their blanks belong to them.

namespace flindor::scsi_text {

inline constexpr char kInfo[] = "Info";
// Formatted with the device path, whose trailing blanks stay in the text.
inline constexpr char kOpenFailedFormat[] = "DoRoroDor CreateHandle ERROR : %s ";
// Formatted with the block number in decimal.
inline constexpr char kWriteErrorFormat[] = " Download File Write Error : %d";

}  // namespace flindor::scsi_text
