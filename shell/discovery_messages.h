#pragma once
// The texts the shell shows of discovery's end, byte for byte.

namespace flindor::discovery_text {

inline constexpr char kNoVadade[] = "No VADADE";
inline constexpr char kNoRomDrive[] = "No ROM Drive";
inline constexpr char kInfo[] = "Info";
inline constexpr char kNoDriveKmx[] = " There is NO DVD-ROM Drive KMX4820T  Attached. ";
inline constexpr char kNoZibDrive[] = " There is NO ZIB DVD-ROM Drive KMX4820T  Attached. ";
inline constexpr char kNoDvdRom[] = " No DVD-ROM Drive Attached.";
inline constexpr char kInquiryOnNt[] = "WINDOW NT, 2000, XP Version Inquiry Error !! ";

}  // namespace flindor::discovery_text
