#pragma once
// The size the file-open dialog is told its parameter block has.

#include <windows.h>
// after windows.h, whose types it uses
#include <commdlg.h>

#include <cstddef>
#include <cstdint>

namespace flindor::win32 {

// The core names the block's size as the 32-bit program has it: 76 bytes is the form without
// the Windows 2000 additions (pvReserved, dwReserved, FlagsEx), 88 the full one. On 32-bit
// Windows those numbers are the layout's own and go to the dialog unchanged. The 64-bit layout
// has wider pointers, so there the same form is a different number of bytes: the adapter keeps
// the form the core asked for and passes that form's native size. Deriving it from the layout
// (the offset of the first Windows 2000 field) rather than copying a number keeps both widths
// right by construction.
inline constexpr std::uint32_t kOpenFileNameSize400On32Bit = 76;
inline constexpr DWORD kOpenFileNameSize400 = offsetof(OPENFILENAMEA, pvReserved);

// OPENFILENAME_SIZE_VERSION_400A, which is not a constant expression in C++.
static_assert(kOpenFileNameSize400 == offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR));
#if !defined(_WIN64)
static_assert(kOpenFileNameSize400 == kOpenFileNameSize400On32Bit);
#endif

inline DWORD nativeOpenFileNameSize(std::uint32_t requested) {
#if defined(_WIN64)
  return requested == kOpenFileNameSize400On32Bit ? kOpenFileNameSize400 : sizeof(OPENFILENAMEA);
#else
  return requested;
#endif
}

}  // namespace flindor::win32
