#include "app/win32_heap.h"

#include <windows.h>

namespace flindor::win32 {

void* Win32Heap::allocate(std::size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }

void Win32Heap::release(void* block) {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace flindor::win32
