#pragma once
// Message formatting without the C library, which the Windows program does not link.

#include <cstdarg>
#include <cstddef>

namespace flindor {

// Writes `format` into `buffer` as vsnprintf would, cut to `size` bytes with its terminating
// zero, for the few conversions the program uses: "%s" (text), "%d" (int), "%u" (unsigned) and
// "%X" (unsigned, upper-case hexadecimal), the numbers optionally padded with zeros to a width
// of one digit ("%02d", "%08X"). Any other character is copied as it is.
void formatText(char* buffer, std::size_t size, const char* format, std::va_list values);

// The same, with the values given here.
[[gnu::format(printf, 3, 4)]] void formatTextOf(char* buffer, std::size_t size, const char* format,
                                                ...);

}  // namespace flindor
