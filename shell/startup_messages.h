#pragma once
// The texts start-up shows, byte for byte.

namespace flindor::startup_text {

inline constexpr char kInfo[] = "Info";
inline constexpr char kNoDrive[] = "No Drive";
inline constexpr char kAlreadyLoaded[] = " It is already loaded in System Tray !";
inline constexpr char kNoRomDrive[] = " There is no ROM-Drive in your PC.  ";
inline constexpr char kNoAspiManager[] = " There is no ASPI manager (wnaspi32.dll) in your PC.  ";

}  // namespace flindor::startup_text
