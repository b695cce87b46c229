#include "platform/format_text.h"

namespace flindor {
namespace {

// The digits of `value` in `base` (10, or 16 in upper case), written backwards before `end`; the
// first of them.
char* digitsOf(unsigned value, unsigned base, char* end) {
  do {
    const unsigned digit = value % base;
    *--end = static_cast<char>(digit < 10 ? '0' + digit : 'A' + digit - 10);
    value /= base;
  } while (value != 0);
  return end;
}

// Appends to the buffer for as long as it has room, keeping one byte for the terminating zero.
class Output {
 public:
  Output(char* buffer, std::size_t size) : next_(buffer), end_(buffer + size - 1) {}
  void put(char c) {
    if (next_ != end_) *next_++ = c;
  }
  void put(const char* first, const char* last) {
    while (first != last) put(*first++);
  }
  ~Output() { *next_ = '\0'; }

 private:
  char* next_;
  char* end_;
};

}  // namespace

void formatText(char* buffer, std::size_t size, const char* format, std::va_list values) {
  if (size == 0) return;
  Output out(buffer, size);
  for (; *format != '\0'; ++format) {
    if (format[0] != '%') {
      out.put(*format);
      continue;
    }
    const char* at = format + 1;
    int width = 0;
    if (at[0] == '0' && at[1] >= '1' && at[1] <= '9') {
      width = at[1] - '0';
      at += 2;
    }
    char digits[12];
    char* const end = digits + sizeof digits;
    const char* first = end;
    switch (*at) {
      case 's':
        for (const char* text = va_arg(values, const char*); *text != '\0'; ++text) out.put(*text);
        format = at;
        continue;
      case 'd': {
        const int value = va_arg(values, int);
        if (value < 0) {
          out.put('-');
          --width;  // the sign counts towards the width, as in printf
        }
        // The magnitude as unsigned, which holds that of the most negative int too.
        first = digitsOf(
            value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value), 10, end);
        break;
      }
      case 'u':
        first = digitsOf(va_arg(values, unsigned), 10, end);
        break;
      case 'X':
        first = digitsOf(va_arg(values, unsigned), 16, end);
        break;
      default:
        out.put(*format);
        continue;
    }
    for (auto n = end - first; n < width; ++n) out.put('0');
    out.put(first, end);
    format = at;
  }
}

void formatTextOf(char* buffer, std::size_t size, const char* format, ...) {
  std::va_list values;
  va_start(values, format);
  formatText(buffer, size, format, values);
  va_end(values);
}

}  // namespace flindor
