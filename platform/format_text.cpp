#include "platform/format_text.h"

#include <charconv>

namespace flindor {
namespace {

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
    std::to_chars_result written{digits, {}};
    switch (*at) {
      case 's':
        for (const char* text = va_arg(values, const char*); *text != '\0'; ++text) out.put(*text);
        format = at;
        continue;
      case 'd':
        written = std::to_chars(digits, digits + sizeof digits, va_arg(values, int));
        break;
      case 'u':
        written = std::to_chars(digits, digits + sizeof digits, va_arg(values, unsigned));
        break;
      case 'X':
        written = std::to_chars(digits, digits + sizeof digits, va_arg(values, unsigned), 16);
        for (char* c = digits; c != written.ptr; ++c) {
          if (*c >= 'a') *c = static_cast<char>(*c - 'a' + 'A');
        }
        break;
      default:
        out.put(*format);
        continue;
    }
    const char* first = digits;
    if (*first == '-') {
      out.put(*first++);
      --width;  // the sign counts towards the width, as in printf
    }
    for (auto n = written.ptr - first; n < width; ++n) out.put('0');
    out.put(first, written.ptr);
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
