#include "app/win32_aspi_library.h"

#include <windows.h>

namespace flindor::win32 {

ModuleHandle Win32AspiLibrary::load(const char* fileName) { return LoadLibraryA(fileName); }

void* Win32AspiLibrary::entryPoint(ModuleHandle library, const char* name) {
  // The core keeps entry points untyped; the ASPI manager port gives them their cdecl types.
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void Win32AspiLibrary::free(ModuleHandle library) { FreeLibrary(static_cast<HMODULE>(library)); }

}  // namespace flindor::win32
