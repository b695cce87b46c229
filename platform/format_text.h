#pragma once
// Message formatting without the C library, which the Windows program does not link.

#include <cstdarg>
#include <cstddef>

namespace flindor {

// Writes `format` into `buffer` with each "%s" replaced by the next text argument and each "%d"
// by the next int argument in decimal, cut to `size` bytes with its terminating zero, as
// vsnprintf would. These two are the only conversions; any other character is copied as it is.
void formatText(char* buffer, std::size_t size, const char* format, std::va_list values);

}  // namespace flindor
