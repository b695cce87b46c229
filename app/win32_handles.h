#pragma once
// The core keeps kernel handles as integers and windows as untyped pointers; these are the only
// places where they turn back into Win32 types.

#include <windows.h>

#include "platform/ports.h"

namespace flindor::win32 {

static_assert(sizeof(HANDLE) == sizeof(ObjectHandle));

inline HANDLE toHandle(ObjectHandle handle) { return reinterpret_cast<HANDLE>(handle); }

// INVALID_HANDLE_VALUE maps to -1, which is kInvalidHandle.
inline ObjectHandle fromHandle(HANDLE handle) { return reinterpret_cast<ObjectHandle>(handle); }

inline HWND toWindow(WindowHandle window) { return static_cast<HWND>(window); }

inline WindowHandle fromWindow(HWND window) { return window; }

}  // namespace flindor::win32
